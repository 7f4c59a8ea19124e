// The Logo words page objects make of their names: a slider's name reports
// its value, a text box's name its text. They live while their project is
// open, in the interpreter's name table beside the primitives.
#pragma once

#include <cstdint>
#include <string>

class CHandleData;
class CLogoTask;

// Tokens of the words: the slider's own, and the text reporter's (194),
// whose handler a text box's word shares.
inline constexpr int32_t kSliderWordToken = 5050;
inline constexpr int32_t kTextToken = 194;

// Registers the word for an object of the type (nothing for types without
// one); raises -21 with the name when the interpreter has the name for
// something else.
void RegisterObjectWord(int32_t type, const std::string& name);
// Erases the object's word; a procedure or primitive of the name stays.
void EraseObjectWord(int32_t type, const std::string& name);

// Whether the cell is the word of a page object, or any word a project
// makes (page objects' and the setup's).
bool IsObjectWord(const CHandleData* cell);
bool IsProjectWord(const CHandleData* cell);

// Token 194 and a text box's word: the text of the text box called by that
// name, else of the task's current text box or the procedures page.
CHandleData* TextBoxText(CLogoTask* task, CHandleData** inputs, int32_t option,
                         const std::string& calledName);
// A slider's word: its value.
CHandleData* SliderValue(CLogoTask* task, CHandleData** inputs, int32_t option,
                         const std::string& calledName);
