#include "gui/PageEditor.h"

#include <QByteArray>
#include <QClipboard>
#include <QMimeData>
#include <algorithm>
#include <cctype>
#include <exception>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "platform/MessageBox.h"
#include "platform/TextCatalog.h"
#include "project/ClipboardRecord.h"
#include "project/KinetraDoc.h"
#include "project/ObjectActions.h"
#include "project/PageObject.h"

namespace gui {

namespace {

// Pasting onto the objects' own places moves them by this much, again and
// again until no pasted object lies exactly on one already there.
constexpr int32_t kPasteOffset = 10;

int32_t ToolBaseText(int32_t type) {
    switch (type) {
        case kPictureBoxObject:
            return 3150;
        case kSliderObject:
            return 3151;
        case kButtonObject:
            return 3152;
        case kGraphObject:
            return 3153;
        case kTextBoxObject:
            return 3154;
        default:
            return 3155;
    }
}

// The name itself when it is free, else a new one from its stem (the name
// without its closing digits) or, without a stem, the tool's base name.
std::string FreeName(CKinetraDoc& doc, const std::string& name, int32_t type) {
    if (!name.empty() && !doc.HasName(name) && !doc.InterpreterHolds(name)) return name;
    std::string stem = name;
    while (!stem.empty() && std::isdigit(static_cast<unsigned char>(stem.back()))) stem.pop_back();
    if (stem.empty()) stem = platform::ResourceText(ToolBaseText(type));
    return doc.UniqueName(stem);
}

// Logo may remove the page under the editor; whatever is kept of it is
// checked first.
bool HoldsPage(const CKinetraDoc& doc, const CPage* page) {
    auto hold = doc.Lock();
    return page && std::any_of(doc.Pages().begin(), doc.Pages().end(),
                               [&](const auto& mine) { return mine.get() == page; });
}

// Adopt, for the undo stack and the mouse, which cannot pass an error on:
// a name the interpreter refuses after all loses the object, with its message.
CPageObject* AdoptOrReport(CKinetraDoc& doc, CPage& page, std::unique_ptr<CPageObject> object,
                           const std::string& name, std::size_t index) {
    try {
        return &doc.Adopt(page, std::move(object), name, index);
    } catch (const LogoError& error) {
        const std::string text = WithoutLineEnd(ErrorText(error.handle));
        Release(error.handle);
        platform::ShowMessage(platform::MessageKind::Error, text);
        return nullptr;
    }
}

bool IsHandle(TrackerPart part) {
    return part != TrackerPart::kNone && part != TrackerPart::kInside;
}

// Objects off the page, kept whole so that they come back as they were:
// what a delete undoes and what undoing a creation or a paste keeps.
class ObjectsOff {
  public:
    ObjectsOff(CKinetraDoc& doc, CPage* page) : doc_(doc), page_(page) {}

    bool PageAlive() const { return HoldsPage(doc_, page_); }
    // Takes the objects off, the last in the list first, so that putting
    // them back in the order kept restores every place.
    void TakeOff(std::vector<int32_t> serials) {
        auto hold = doc_.Lock();
        if (!PageAlive()) return;
        std::vector<CPageObject*> objects;
        for (const auto& object : page_->Objects())
            if (std::find(serials.begin(), serials.end(), object->Serial()) != serials.end())
                objects.push_back(object.get());
        for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
            const CMonitor* monitor = (*it)->As<CMonitor>();
            Entry entry{(*it)->Name(), page_->IndexOf(**it), nullptr,
                        monitor && monitor->task != 0};
            entry.object = doc_.Detach(**it);
            if (entry.object) off_.insert(off_.begin(), std::move(entry));
        }
    }
    void PutBack() {
        auto hold = doc_.Lock();
        if (!PageAlive()) return;
        for (Entry& entry : off_) {
            const int32_t type = entry.object->Type();
            CPageObject* back = AdoptOrReport(doc_, *page_, std::move(entry.object),
                                              FreeName(doc_, entry.name, type), entry.index);
            // A monitor that was showing values goes on showing them.
            if (back && entry.running) ActivateObject(doc_, *back, true);
        }
        off_.clear();
    }
    std::vector<int32_t> Serials() const {
        std::vector<int32_t> serials;
        for (const Entry& entry : off_) serials.push_back(entry.object->Serial());
        return serials;
    }

  private:
    struct Entry {
        std::string name;
        std::size_t index;
        std::unique_ptr<CPageObject> object;
        bool running;
    };
    CKinetraDoc& doc_;
    CPage* page_;
    std::vector<Entry> off_;
};

// Deletes the objects; undo brings them back.
class DeleteCommand final : public QUndoCommand {
  public:
    DeleteCommand(CKinetraDoc& doc, CPage* page, std::vector<int32_t> serials)
        : QUndoCommand(QObject::tr("Delete")), off_(doc, page), serials_(std::move(serials)) {}
    void redo() override { off_.TakeOff(serials_); }
    void undo() override {
        serials_ = off_.Serials();
        off_.PutBack();
    }

  private:
    ObjectsOff off_;
    std::vector<int32_t> serials_;
};

// Objects made or pasted, already on the page; undo takes them off.
class AddCommand final : public QUndoCommand {
  public:
    AddCommand(const QString& text, CKinetraDoc& doc, CPage* page, std::vector<int32_t> serials)
        : QUndoCommand(text), off_(doc, page), serials_(std::move(serials)) {}
    void redo() override {
        if (first_)
            first_ = false;
        else
            off_.PutBack();
    }
    void undo() override { off_.TakeOff(serials_); }

  private:
    ObjectsOff off_;
    std::vector<int32_t> serials_;
    bool first_ = true;
};

struct Placement {
    int32_t serial;
    PageRect from;
    PageRect to;
};

void Place(CKinetraDoc& doc, int32_t serial, const PageRect& rect) {
    auto hold = doc.Lock();
    CPageObject* object = doc.FindObject(serial);
    if (!object) return;
    const PageSize size{rect.right - rect.left, rect.bottom - rect.top};
    if (!(object->Size() == size)) doc.Resize(*object, size, false);
    if (!(object->Position() == PagePoint{rect.left, rect.top}))
        doc.Move(*object, {rect.left, rect.top});
}

// Moved or resized objects, already in their new places.
class GeometryCommand final : public QUndoCommand {
  public:
    GeometryCommand(const QString& text, CKinetraDoc& doc, std::vector<Placement> moves)
        : QUndoCommand(text), doc_(doc), moves_(std::move(moves)) {}
    void redo() override {
        if (first_)
            first_ = false;
        else
            for (const Placement& move : moves_) Place(doc_, move.serial, move.to);
    }
    void undo() override {
        for (const Placement& move : moves_) Place(doc_, move.serial, move.from);
    }

  private:
    CKinetraDoc& doc_;
    std::vector<Placement> moves_;
    bool first_ = true;
};

// The page's objects put in another order; undo puts back the old one.
class OrderCommand final : public QUndoCommand {
  public:
    OrderCommand(const QString& text, CKinetraDoc& doc, CPage* page, std::vector<int32_t> before)
        : QUndoCommand(text),
          doc_(doc),
          page_(page),
          before_(std::move(before)),
          after_(page->Order()) {}
    void redo() override {
        if (first_)
            first_ = false;
        else
            Apply(after_);
    }
    void undo() override { Apply(before_); }

  private:
    void Apply(const std::vector<int32_t>& order) {
        auto hold = doc_.Lock();
        if (!HoldsPage(doc_, page_)) return;
        page_->SetOrder(order);
        doc_.SetModified(true);
    }
    CKinetraDoc& doc_;
    CPage* page_;
    std::vector<int32_t> before_;
    std::vector<int32_t> after_;
    bool first_ = true;
};

}  // namespace

PageSize ToolObjectSize(int32_t type, PageSize dragged) {
    if (type == kSliderObject) {
        constexpr int32_t kLeast = 14, kThick = 18, kLong = 150;
        PageSize size = dragged;
        const bool upright = dragged.width < dragged.height;
        if (size.width < kLeast) size.width = upright ? kThick : kLong;
        if (size.height < kLeast) size.height = upright ? kLong : kThick;
        return size;
    }
    const PageSize least = CPageObject::MinimumSize(type);
    if (dragged.width >= least.width && dragged.height >= least.height) return dragged;
    switch (type) {
        case kPictureBoxObject:
        case kTextBoxObject:
            return {150, 120};
        case kButtonObject:
            return {60, 20};
        case kMonitorObject:
            return {60, 18};
        default:
            return least;
    }
}

bool Resizable(const CPageObject& object) {
    if (const CGraph* graph = object.As<CGraph>()) return !graph->Sampling();
    if (const CPageButton* button = object.As<CPageButton>()) {
        const ButtonShape* shape = FindButtonShape(button->shape);
        return !(shape && shape->FixedSize());
    }
    return true;
}

PageEditor::PageEditor(std::shared_ptr<CKinetraDoc> doc, CPage* page, QObject* parent)
    : QObject(parent), doc_(std::move(doc)), page_(page) {}

CPage* PageEditor::Page() const {
    return HoldsPage(*doc_, page_) ? page_ : nullptr;
}

PageEditor::~PageEditor() {
    // The commands refer to the document: they go first.
    undo_.clear();
}

void PageEditor::SetPage(CPage* page) {
    if (page == page_) return;
    undo_.clear();
    page_ = page;
    mode_ = Mode::kIdle;
    emit changed();
}

CPageObject* PageEditor::Find(int32_t serial) const {
    return doc_->FindObject(serial);
}

std::vector<CPageObject*> PageEditor::Selected() const {
    std::vector<CPageObject*> selected;
    if (Page())
        for (const auto& object : page_->Objects())
            if (object->Selected()) selected.push_back(object.get());
    return selected;
}

void PageEditor::Press(PagePoint at, bool shift, int tool) {
    auto hold = doc_->Lock();
    mode_ = Mode::kIdle;
    if (!Page() || doc_->Settings().locked) return;
    anchor_ = last_ = at;
    starts_.clear();
    if (tool != 0) {
        tool_ = tool;
        mode_ = Mode::kCreating;
        return;
    }
    const TrackerHit hit = page_->TrackerAt(at);
    if (hit.object && IsHandle(hit.part) && Resizable(*hit.object) && !shift) {
        mode_ = Mode::kResizing;
        part_ = hit.part;
        starts_.push_back({hit.object->Serial(), hit.object->Rect()});
        return;
    }
    CPageObject* object = hit.object ? hit.object : page_->ObjectAt(at);
    if (!object) {
        if (!shift) page_->SelectAll(false);
        mode_ = Mode::kSelecting;
        emit changed();
        return;
    }
    if (shift) {
        object->Select(true, false);
        emit changed();
        return;
    }
    if (!object->Selected()) {
        page_->SelectAll(false);
        object->Select(false, true);
    }
    mode_ = Mode::kMoving;
    for (CPageObject* selected : Selected())
        starts_.push_back({selected->Serial(), selected->Rect()});
    emit changed();
}

PageRect PageEditor::ResizedRect(PagePoint to) const {
    PageRect r = starts_.front().rect;
    const int32_t dx = to.x - anchor_.x, dy = to.y - anchor_.y;
    const bool left = part_ == TrackerPart::kTopLeft || part_ == TrackerPart::kLeft ||
                      part_ == TrackerPart::kBottomLeft;
    const bool right = part_ == TrackerPart::kTopRight || part_ == TrackerPart::kRight ||
                       part_ == TrackerPart::kBottomRight;
    const bool top = part_ == TrackerPart::kTopLeft || part_ == TrackerPart::kTop ||
                     part_ == TrackerPart::kTopRight;
    const bool bottom = part_ == TrackerPart::kBottomLeft || part_ == TrackerPart::kBottom ||
                        part_ == TrackerPart::kBottomRight;
    if (left) r.left += dx;
    if (right) r.right += dx;
    if (top) r.top += dy;
    if (bottom) r.bottom += dy;
    // The edge dragged stops at the type's minimum (at least a pixel).
    const CPageObject* object = Find(starts_.front().serial);
    const PageSize least = object ? CPageObject::MinimumSize(object->Type()) : PageSize{};
    const int32_t width = std::max(least.width, 1), height = std::max(least.height, 1);
    if (r.right - r.left < width) {
        if (left)
            r.left = r.right - width;
        else
            r.right = r.left + width;
    }
    if (r.bottom - r.top < height) {
        if (top)
            r.top = r.bottom - height;
        else
            r.bottom = r.top + height;
    }
    return r;
}

void PageEditor::Drag(PagePoint to) {
    auto hold = doc_->Lock();
    if (mode_ == Mode::kIdle || !Page()) return;
    last_ = to;
    if (mode_ == Mode::kMoving) {
        // A click that does not move changes nothing, not even the modified mark.
        for (const Start& start : starts_) {
            const PagePoint at{start.rect.left + to.x - anchor_.x,
                               start.rect.top + to.y - anchor_.y};
            CPageObject* object = Find(start.serial);
            if (object && !(object->Position() == at)) doc_->Move(*object, at);
        }
    } else if (mode_ == Mode::kResizing) {
        Place(*doc_, starts_.front().serial, ResizedRect(to));
    }
    emit changed();
}

void PageEditor::PushGeometry(const QString& text) {
    std::vector<Placement> moves;
    for (const Start& start : starts_)
        if (const CPageObject* object = Find(start.serial))
            if (!(object->Rect() == start.rect))
                moves.push_back({start.serial, start.rect, object->Rect()});
    if (!moves.empty()) undo_.push(new GeometryCommand(text, *doc_, std::move(moves)));
}

void PageEditor::Release(PagePoint at) {
    const Mode mode = mode_;
    if (mode == Mode::kIdle) return;
    Drag(at);
    auto hold = doc_->Lock();
    mode_ = Mode::kIdle;
    if (!Page()) return;
    const PageRect band{anchor_.x, anchor_.y, at.x, at.y};
    switch (mode) {
        case Mode::kCreating:
            Create(tool_, band);
            emit toolUsed();
            break;
        case Mode::kSelecting:
            page_->SelectIn(band);
            break;
        case Mode::kMoving:
            PushGeometry(tr("Move"));
            break;
        case Mode::kResizing:
            PushGeometry(tr("Resize"));
            break;
        case Mode::kIdle:
            break;
    }
    starts_.clear();
    emit changed();
}

std::optional<PageRect> PageEditor::Band() const {
    if (mode_ != Mode::kCreating && mode_ != Mode::kSelecting) return std::nullopt;
    return PageRect{anchor_.x, anchor_.y, last_.x, last_.y}.Normalised();
}

TrackerPart PageEditor::PartAt(PagePoint at) const {
    auto hold = doc_->Lock();
    if (!Page()) return TrackerPart::kNone;
    const TrackerHit hit = page_->TrackerAt(at);
    if (hit.object && IsHandle(hit.part) && !Resizable(*hit.object)) return TrackerPart::kInside;
    return hit.part;
}

void PageEditor::SelectAll() {
    auto hold = doc_->Lock();
    if (!Page()) return;
    page_->SelectAll(true);
    emit changed();
}

void PageEditor::DeleteSelected() {
    auto hold = doc_->Lock();
    if (!Page() || doc_->Settings().locked) return;
    std::vector<int32_t> serials;
    for (const CPageObject* object : Selected()) serials.push_back(object->Serial());
    if (serials.empty()) return;
    undo_.push(new DeleteCommand(*doc_, page_, std::move(serials)));
    emit changed();
}

void PageEditor::StackSelected(bool toTop) {
    auto hold = doc_->Lock();
    if (!Page() || doc_->Settings().locked || Selected().empty()) return;
    std::vector<int32_t> before = page_->Order();
    page_->StackSelected(toTop);
    doc_->SetModified(true);
    undo_.push(new OrderCommand(toTop ? tr("Bring to front") : tr("Send to back"), *doc_, page_,
                                std::move(before)));
    emit changed();
}

CPageObject* PageEditor::Create(int32_t type, PageRect band) {
    auto hold = doc_->Lock();
    if (!Page() || doc_->Settings().locked) return nullptr;
    const PageRect r = band.Normalised();
    const PageSize size = ToolObjectSize(type, {r.right - r.left, r.bottom - r.top});
    std::unique_ptr<CPageObject> made = CPageObject::Create(type, {r.left, r.top}, size);
    if (CSlider* slider = made->As<CSlider>()) {
        slider->orientation = size.width < size.height ? 0 : 1;
        made->Resize(size, false);
    }
    const std::string name = doc_->UniqueName(platform::ResourceText(ToolBaseText(type)));
    CPageObject* object =
        AdoptOrReport(*doc_, *page_, std::move(made), name, page_->Objects().size());
    if (!object) return nullptr;
    TalkToContext selection = DefaultSelection();
    selection.Store(object->Type(), object->Serial());
    SetDefaultSelection(selection);
    undo_.push(new AddCommand(tr("Create"), *doc_, page_, {object->Serial()}));
    emit changed();
    return object;
}

bool PageEditor::Copy(QClipboard& clipboard) {
    auto hold = doc_->Lock();
    const std::vector<CPageObject*> selected = Selected();
    if (selected.empty()) return false;
    const std::vector<const CPageObject*> objects(selected.begin(), selected.end());
    std::vector<uint8_t> block;
    try {
        block = EncodeClipboard(objects);
    } catch (const std::length_error&) {
        return false;
    }
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kClipboardFormat),
                  QByteArray(reinterpret_cast<const char*>(block.data()),
                             static_cast<qsizetype>(block.size())));
    clipboard.setMimeData(data);
    return true;
}

bool PageEditor::Cut(QClipboard& clipboard) {
    if (!Copy(clipboard)) return false;
    DeleteSelected();
    return true;
}

bool PageEditor::Paste(const QClipboard& clipboard) {
    const QMimeData* data = clipboard.mimeData();
    const QString format = QString::fromLatin1(kClipboardFormat);
    if (!data || !data->hasFormat(format)) return false;
    const QByteArray bytes = data->data(format);
    std::vector<std::unique_ptr<CPageObject>> pasted;
    try {
        pasted = DecodeClipboard(std::span<const uint8_t>(
            reinterpret_cast<const uint8_t*>(bytes.constData()), bytes.size()));
    } catch (const std::exception&) {
        return false;  // a damaged block pastes nothing
    }
    auto hold = doc_->Lock();
    if (!Page() || doc_->Settings().locked || pasted.empty()) return false;
    const auto onAnOriginal = [&] {
        for (const auto& object : pasted)
            for (const auto& there : page_->Objects())
                if (object->Rect() == there->Rect()) return true;
        return false;
    };
    while (onAnOriginal())
        for (auto& object : pasted)
            object->Move(
                {object->Position().x + kPasteOffset, object->Position().y + kPasteOffset});
    page_->SelectAll(false);
    std::vector<int32_t> serials;
    for (auto& object : pasted) {
        // A picture this project lacks keeps its name, as a file read does.
        if (CPictureBox* box = object->As<CPictureBox>())
            if (doc_->Pictures().Find(box->pictureName))
                box->ShowPicture(doc_->Pictures(), box->pictureName);
        object->Select(false, true);
        const std::string name = FreeName(*doc_, object->Name(), object->Type());
        if (CPageObject* added =
                AdoptOrReport(*doc_, *page_, std::move(object), name, page_->Objects().size()))
            serials.push_back(added->Serial());
    }
    undo_.push(new AddCommand(tr("Paste"), *doc_, page_, std::move(serials)));
    emit changed();
    return true;
}

}  // namespace gui
