// Logo lists: element arrays with a reference count of their own.
#include "LogoCore/LogoList.h"

#include "LogoCore/HandleData.h"

CLogoList* CLogoList::CopyOf(const CLogoList& source) {
    auto* copy = new CLogoList();
    copy->elements_.reserve(source.elements_.size());
    for (CHandleData* cell : source.elements_) copy->Add(cell);
    return copy;
}

// Error values held as elements are released too: skipping them would leak.
CLogoList::~CLogoList() {
    for (CHandleData* cell : elements_) ::Release(cell);
}

CHandleData* CLogoList::GetAt(std::size_t index) const {
    CHandleData* cell = elements_[index];
    Reference(cell);
    return cell;
}

void CLogoList::Add(CHandleData* cell) {
    Reference(cell);
    elements_.push_back(cell);
}

void CLogoList::Adopt(CHandleData* cell) {
    elements_.push_back(cell);
}

void CLogoList::Release() {
    if (count_.fetch_sub(1, std::memory_order_acq_rel) <= 1) delete this;
}

void CLogoList::SetState(int32_t state, bool recursive, int32_t onlyIf) {
    for (CHandleData* cell : elements_)
        if (IsCell(cell)) cell->SetState(state, recursive, onlyIf);
}

std::string CLogoList::ListToString(bool release, bool quoted, std::size_t firstIndex) {
    std::string text = "[";
    for (std::size_t i = firstIndex; i < elements_.size(); ++i) {
        if (i > firstIndex) text += ' ';
        text += GetString(GetAt(i), true, quoted);
    }
    text += ']';
    if (release) Release();
    return text;
}
