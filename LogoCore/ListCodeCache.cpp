// A task's code read from lists.
#include "LogoCore/ListCodeCache.h"

#include <cstdint>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoList.h"

std::size_t CListCodeCache::SlotOf(const CLogoList* list) {
    return (reinterpret_cast<std::uintptr_t>(list) >> 4) % std::tuple_size_v<decltype(slots_)>;
}

CHandleData* CListCodeCache::Find(const CLogoList* list, uint64_t changes) const {
    const Slot& slot = slots_[SlotOf(list)];
    if (slot.list != list || slot.changes != changes) return nullptr;
    Reference(slot.code);
    return slot.code;
}

void CListCodeCache::Keep(CLogoList* list, CHandleData* code, uint64_t changes) {
    Slot& slot = slots_[SlotOf(list)];
    Empty(slot);
    // The list is held so that its address names no other list meanwhile.
    list->AddRef();
    Reference(code);
    slot = {list, code, changes};
}

void CListCodeCache::Empty(Slot& slot) {
    Slot old = slot;
    slot = {};
    if (old.list) old.list->Release();
    Release(old.code);
}

void CListCodeCache::Clear() {
    for (Slot& slot : slots_) Empty(slot);
}
