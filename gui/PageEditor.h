// The page editor: what the mouse and the Edit menu do to a page in edit
// mode - selecting, moving, resizing, creating with the armed tool,
// deleting, ordering, the clipboard and undo. It works on page coordinates
// and the model only, so that any view (or a test) can drive it; every
// change goes through the document's own operations, on the main thread,
// under the document's lock, and marks the project modified.
#pragma once

#include <QObject>
#include <QUndoStack>
#include <memory>
#include <optional>
#include <vector>

#include "project/Geometry.h"
#include "project/Page.h"

class CKinetraDoc;
class QClipboard;

namespace gui {

// The size an object made with a tool gets from the band dragged: the
// type's default when the band is below its minimum (a slider judges each
// side alone, in the orientation the band's shape gives).
PageSize ToolObjectSize(int32_t type, PageSize dragged);
// Whether the object's tracker has handles: not a sampling graph's nor a
// fixed-size button's.
bool Resizable(const CPageObject& object);

class PageEditor final : public QObject {
    Q_OBJECT

  public:
    PageEditor(std::shared_ptr<CKinetraDoc> doc, CPage* page, QObject* parent = nullptr);
    ~PageEditor() override;

    CKinetraDoc& Document() const { return *doc_; }
    const std::shared_ptr<CKinetraDoc>& SharedDocument() const { return doc_; }
    // Null when none, or when the page has gone from the document.
    CPage* Page() const;
    // Another page: the undo history, which belongs to the old one, goes.
    void SetPage(CPage* page);
    QUndoStack& Undo() { return undo_; }

    // The mouse, in page coordinates; tool is the armed tool's type (0 none).
    void Press(PagePoint at, bool shift, int tool);
    void Drag(PagePoint to);
    void Release(PagePoint at);
    // The rubber band being dragged (creating or selecting), if any.
    std::optional<PageRect> Band() const;
    // The tracker part under the point, for the cursor's shape.
    TrackerPart PartAt(PagePoint at) const;

    void SelectAll();
    void DeleteSelected();
    // The selected objects to the end of the list (on top) or its front.
    void StackSelected(bool toTop);
    // An object of the type where the band was drawn, with a unique name;
    // it becomes the current object of its kind for Logo. Null when the
    // page is locked or gone.
    CPageObject* Create(int32_t type, PageRect band);

    // The selected objects, in page order, as a "KinetraData" block; false
    // when none is selected.
    bool Copy(QClipboard& clipboard);
    bool Cut(QClipboard& clipboard);
    // The block's objects go on the page, selected, each under its own name
    // or, when that is taken, a new one from the same stem. Onto the page
    // they came from they land offset, so as not to hide the originals;
    // onto another page, where they were. False when the clipboard holds
    // no block.
    bool Paste(const QClipboard& clipboard);

  signals:
    // The page's objects or the selection changed: redraw.
    void changed();
    // An object was made with the armed tool: disarm it.
    void toolUsed();

  private:
    enum class Mode { kIdle, kCreating, kSelecting, kMoving, kResizing };
    struct Start {
        int32_t serial;
        PageRect rect;
    };

    CPageObject* Find(int32_t serial) const;
    std::vector<CPageObject*> Selected() const;
    void PushGeometry(const QString& text);
    PageRect ResizedRect(PagePoint to) const;

    std::shared_ptr<CKinetraDoc> doc_;
    CPage* page_;
    QUndoStack undo_;
    Mode mode_ = Mode::kIdle;
    int tool_ = 0;
    PagePoint anchor_;
    PagePoint last_;
    TrackerPart part_ = TrackerPart::kNone;
    std::vector<Start> starts_;
};

}  // namespace gui
