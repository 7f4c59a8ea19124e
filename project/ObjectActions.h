// What the objects on a page do when used: pressing a button, setting a
// slider, switching a monitor or graph on and off, and hearing that a task
// an object started has ended. The window's mouse handlers, the Logo
// requests and the tests all come through here, on the main thread; the
// Logo the objects start runs as tasks owned by the object.
#pragma once

#include <cstdint>
#include <string>

class CKinetraDoc;
class CPageObject;

// An object clicked on the page in run mode: the other objects of its
// page are deselected, and it becomes the current object of its kind in
// the global talk-to record.
void TouchObject(CKinetraDoc& doc, CPageObject& object);

// The user clicked into the procedures page: text primitives of tasks
// without a text box of their own write there from now on.
void TouchProceduresPage();

// A button pressed or released with the mouse (not selected, no Shift):
// it becomes the current button of the global talk-to record.
void PressButton(CKinetraDoc& doc, CPageObject& button);
void ReleaseButton(CKinetraDoc& doc, CPageObject& button);

// A slider set by the mouse or by Logo, and its limits.
void SetSliderValue(CKinetraDoc& doc, CPageObject& slider, double value);
void SetSliderLimits(CKinetraDoc& doc, CPageObject& slider, double min, double max);

// A picture box's picture, a button's shape (a fixed-size one resizes the
// button to it) or a slider's style (which gives its thickness), by name;
// -28 naming it when there is none such, -15 for another kind of object.
void SetObjectShape(CKinetraDoc& doc, CPageObject& object, const std::string& name);

// A monitor starts or forgets its task; a graph starts or stops sampling.
void ActivateObject(CKinetraDoc& doc, CPageObject& object, bool on);

// A task owned by the object (its serial number) has ended. An object
// deleted meanwhile is passed over.
void ObjectTaskFinished(int32_t serial);
