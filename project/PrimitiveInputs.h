// What the project's primitives share in reading their inputs and in
// finding the open project.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "project/ProjectRequests.h"

class CHandleData;
class CKinetraDoc;
class CLogoTask;

// The open project; -61 naming the primitive when there is none.
std::shared_ptr<CKinetraDoc> OpenDocumentFor(const std::string& calledName);

// A word input's text; a list raises -4.
std::string WordInput(CHandleData* input, const std::string& calledName);
// A list of two numbers, rounded to whole ones; anything else raises -4.
std::pair<int32_t, int32_t> NumberPair(CHandleData* input, const std::string& calledName);

// An instruction list's text, without its outer brackets; a word as it is.
std::string ListText(CHandleData* input);
// A number input; anything else raises -4.
double NumberInput(CHandleData* input, const std::string& calledName);
// A list of numbers (of that many, unless count is 0); else -4.
std::vector<double> NumbersInput(CHandleData* input, const std::string& calledName,
                                 std::size_t count = 0);
CHandleData* RealList(const std::vector<double>& numbers);

// The serial number of the task's current object of the type (its talk-to
// slot); -22 naming the kind when it has none.
int32_t CurrentOfKind(CLogoTask* task, int32_t type, const std::string& calledName);
// The name requests give the object: "Procedures" for the procedures page.
std::string TargetName(CKinetraDoc& doc, int32_t serial);
// A request on the task's current object of the type.
ProjectRequest RequestOn(CLogoTask* task, CKinetraDoc& doc, int32_t type,
                         const std::string& calledName);

// A list of words, each put between bars when it holds a blank.
CHandleData* NameList(const std::vector<std::string>& names);
CHandleData* NumberList(std::initializer_list<int32_t> numbers);
