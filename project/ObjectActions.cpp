#include "project/ObjectActions.h"

#include <string>

#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "project/KinetraDoc.h"

namespace {

constexpr int32_t kErrorNotForThisObject = -15;
constexpr int32_t kErrorNoSuchPicture = -28;

// Starts the text as the object's task. The lock is let go first: the new
// task may read the document at once. A task that cannot start leaves the
// object not running, and the error goes to the caller.
template <typename Clear>
void Run(std::unique_lock<std::recursive_mutex>& hold, const std::string& text, int32_t serial,
         Clear clear) {
    hold.unlock();
    try {
        RunForObject(text, serial);
    } catch (...) {
        hold.lock();
        clear();
        throw;
    }
}

void RunButton(std::unique_lock<std::recursive_mutex>& hold, CPageObject& object, ButtonList list) {
    if (list == ButtonList::kNone) return;
    CPageButton& button = *object.As<CPageButton>();
    const std::string text = list == ButtonList::kFirst ? button.firstList : button.secondList;
    Run(hold, text, object.Serial(), [&] { button.running = false; });
}

void RunSlider(std::unique_lock<std::recursive_mutex>& hold, CPageObject& object, bool run) {
    if (!run) return;
    CSlider& slider = *object.As<CSlider>();
    Run(hold, slider.function, object.Serial(), [&] { slider.running = false; });
}

}  // namespace

void TouchObject(CKinetraDoc& doc, CPageObject& object) {
    auto hold = doc.Lock();
    if (!object.Selected())
        if (CPage* page = doc.PageOf(object)) page->SelectAll(false);
    TalkToContext selection = DefaultSelection();
    selection.Store(object.Type(), object.Serial());
    SetDefaultSelection(selection);
}

void TouchProceduresPage() {
    TalkToContext selection = DefaultSelection();
    selection.textBox = CKinetraDoc::kProceduresPage;
    selection.textHolder = CKinetraDoc::kProceduresPage;
    selection.colourHolder = CKinetraDoc::kProceduresPage;
    SetDefaultSelection(selection);
}

void PressButton(CKinetraDoc& doc, CPageObject& object) {
    auto hold = doc.Lock();
    CPageButton* button = object.As<CPageButton>();
    if (!button) return;
    TouchObject(doc, object);
    RunButton(hold, object, button->Press());
}

void ReleaseButton(CKinetraDoc& doc, CPageObject& object) {
    auto hold = doc.Lock();
    if (CPageButton* button = object.As<CPageButton>()) RunButton(hold, object, button->Release());
}

void SetSliderValue(CKinetraDoc& doc, CPageObject& object, double value) {
    auto hold = doc.Lock();
    if (CSlider* slider = object.As<CSlider>()) RunSlider(hold, object, slider->SetValue(value));
}

void SetSliderLimits(CKinetraDoc& doc, CPageObject& object, double min, double max) {
    auto hold = doc.Lock();
    if (CSlider* slider = object.As<CSlider>())
        RunSlider(hold, object, slider->SetLimits(min, max));
}

void SetObjectShape(CKinetraDoc& doc, CPageObject& object, const std::string& name) {
    auto hold = doc.Lock();
    if (CPictureBox* box = object.As<CPictureBox>()) {
        if (!box->ShowPicture(doc.Pictures(), name)) RaiseError(kErrorNoSuchPicture, {name});
    } else if (CPageButton* button = object.As<CPageButton>()) {
        const ButtonShape* shape = FindButtonShape(name);
        if (!shape) RaiseError(kErrorNoSuchPicture, {name});
        button->shape = shape->name;
        if (shape->FixedSize()) object.Resize(shape->fixedSize, false);
    } else if (CSlider* slider = object.As<CSlider>()) {
        const SliderStyle* style = FindSliderStyle(name);
        if (!style) RaiseError(kErrorNoSuchPicture, {name});
        slider->style = style->name;
        object.Resize(object.Size(), false);  // takes the style's thickness
    } else {
        RaiseError(kErrorNotForThisObject, {"**setshape**"});
    }
    doc.SetModified(true);
}

void ActivateObject(CKinetraDoc& doc, CPageObject& object, bool on) {
    auto hold = doc.Lock();
    if (CGraph* graph = object.As<CGraph>()) {
        // The open project's setup, looked up at each sample: the thread may
        // outlive this call, never the graph.
        graph->Activate(on, [](const std::string& source, uint32_t time) {
            const std::shared_ptr<CSetupData> setup = ActiveSetup();
            return setup ? setup->ReadingByName(source, time) : 0.0;
        });
        return;
    }
    CMonitor* monitor = object.As<CMonitor>();
    if (!monitor || !monitor->Activate(on)) return;
    Run(hold, monitor->TaskText(), object.Serial(), [&] { monitor->task = 0; });
}

void ObjectTaskFinished(int32_t serial) {
    const auto doc = CKinetraDoc::Current();
    if (!doc) return;
    auto hold = doc->Lock();
    CPageObject* object = doc->FindObject(serial);
    if (!object) return;
    if (CPageButton* button = object->As<CPageButton>())
        RunButton(hold, *object, button->TaskFinished());
    else if (CSlider* slider = object->As<CSlider>())
        slider->running = false;
    else if (CMonitor* monitor = object->As<CMonitor>())
        monitor->TaskFinished();
}
