// What the project's primitives share in reading their inputs and in
// finding the open project.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

class CHandleData;
class CKinetraDoc;

// The open project; -61 naming the primitive when there is none.
std::shared_ptr<CKinetraDoc> OpenDocumentFor(const std::string& calledName);

// A word input's text; a list raises -4.
std::string WordInput(CHandleData* input, const std::string& calledName);
// A list of two numbers, rounded to whole ones; anything else raises -4.
std::pair<int32_t, int32_t> NumberPair(CHandleData* input, const std::string& calledName);

// A list of words, each put between bars when it holds a blank.
CHandleData* NameList(const std::vector<std::string>& names);
CHandleData* NumberList(std::initializer_list<int32_t> numbers);
