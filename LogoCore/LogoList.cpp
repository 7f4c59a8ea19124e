// Logo lists: element arrays with a reference count of their own.
#include "LogoCore/LogoList.h"

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "platform/BlockPool.h"

using ListPool = platform::BlockPool<sizeof(CLogoList)>;

void* CLogoList::operator new(std::size_t size) {
    if (size != sizeof(CLogoList)) RaiseInternal("A list of the wrong size");
    return ListPool::Allocate();
}

void CLogoList::operator delete(void* list) noexcept {
    ListPool::Free(list);
}

CLogoList* CLogoList::CopyOf(const CLogoList& source) {
    return SliceOf(source, 0, source.Size());
}

CLogoList* CLogoList::SliceOf(const CLogoList& source, std::size_t first, std::size_t size) {
    auto* slice = new CLogoList();
    if (size == 0) return slice;
    // A slice of a slice shares the owner's array directly, so chains of
    // butfirst never grow.
    CLogoList* owner = source.base_ ? source.base_ : const_cast<CLogoList*>(&source);
    slice->base_ = owner;
    slice->first_ = (source.base_ ? source.first_ : source.Front()) + first;
    slice->size_ = size;
    owner->AddRef();
    return slice;
}

CLogoList* CLogoList::WithFirst(CHandleData* item, const CLogoList& rest) {
    const std::size_t size = rest.Size();
    if (size > 0) {
        // The rest begins at its owner's first used slot: when the slot
        // before it is still free, claim it. Only one list can win it.
        CLogoList* owner = rest.base_ ? rest.base_ : const_cast<CLogoList*>(&rest);
        std::size_t start = rest.base_ ? rest.first_ : rest.Front();
        if (start > 0 && owner->front_.compare_exchange_strong(start, start - 1)) {
            owner->elements_[start - 1] = item;
            auto* list = new CLogoList();
            owner->AddRef();
            list->base_ = owner;
            list->first_ = start - 1;
            list->size_ = size + 1;
            return list;
        }
    }
    // A new owner with as much room in front as it has items.
    const std::size_t room = size < 15 ? 15 : size;
    auto* owner = new CLogoList();
    owner->elements_.assign(room + 1 + size, nullptr);
    owner->elements_[room] = item;
    CHandleData* const* items = rest.Items();
    for (std::size_t i = 0; i < size; ++i) {
        Reference(items[i]);
        owner->elements_[room + 1 + i] = items[i];
    }
    owner->front_.store(room, std::memory_order_release);
    CLogoList* list = SliceOf(*owner, 0, size + 1);
    owner->Release();
    return list;
}

// Error values held as elements are released too: skipping them would leak.
// Free slots in front hold null, which Release ignores.
CLogoList::~CLogoList() {
    if (base_) {
        base_->Release();
        return;
    }
    for (CHandleData* cell : elements_) ::Release(cell);
}

CHandleData* CLogoList::GetAt(std::size_t index) const {
    CHandleData* cell = Items()[index];
    Reference(cell);
    return cell;
}

// Only the maker of a list fills it, before anyone shares it.
void CLogoList::Add(CHandleData* cell) {
    if (base_) RaiseInternal("Adding to a shared list");
    Reference(cell);
    elements_.push_back(cell);
}

void CLogoList::Adopt(CHandleData* cell) {
    if (base_) RaiseInternal("Adding to a shared list");
    elements_.push_back(cell);
}

void CLogoList::Release() {
    if (count_.fetch_sub(1, std::memory_order_acq_rel) <= 1) delete this;
}

void CLogoList::SetState(int32_t state, bool recursive, int32_t onlyIf) {
    CHandleData* const* items = Items();
    for (std::size_t i = 0, n = Size(); i < n; ++i)
        if (IsCell(items[i])) items[i]->SetState(state, recursive, onlyIf);
}

std::string CLogoList::ListToString(bool release, bool quoted, std::size_t firstIndex) {
    std::string text;
    try {
        AppendText(
            text, quoted,
            [](CHandleData* item, bool quotedItem) { return GetString(item, false, quotedItem); },
            firstIndex);
    } catch (...) {
        if (release) Release();
        throw;
    }
    if (release) Release();
    return text;
}

// A list may nest deeper than any thread's stack: the lists being written
// wait on a stack of our own, each with the index of its next element.
// Each nested list is kept alive by the element that holds it, and lists
// never change once filled.
void CLogoList::AppendText(std::string& text, bool quoted, ItemText itemText,
                           std::size_t firstIndex) const {
    struct Open {
        CHandleData* const* items;
        std::size_t size;
        std::size_t next;
    };
    std::vector<Open> outer;
    Open at{Items(), Size(), firstIndex};
    bool first = true;
    text += '[';
    for (;;) {
        if (at.next >= at.size) {
            text += ']';
            if (outer.empty()) return;
            at = outer.back();
            outer.pop_back();
            first = false;
            continue;
        }
        if (!first) text += ' ';
        first = false;
        CHandleData* item = at.items[at.next++];
        if (IsCell(item) && item->Type() == kTypeList) {
            outer.push_back(at);
            const CLogoList& inner = *item->ListValue();
            at = {inner.Items(), inner.Size(), 0};
            first = true;
            text += '[';
            continue;
        }
        text += itemText(item, quoted);
    }
}
