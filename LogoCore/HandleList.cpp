// Token-ordered, locked arrays of named cells.
#include "LogoCore/HandleList.h"

#include "LogoCore/HandleData.h"
#include "platform/Utf8.h"

namespace {

// Entries keep only the first 255 characters of their names: a longer name
// is the same name as its cut form. Names are found ignoring case.
std::string FoldedName(std::string_view name) {
    return platform::LowerCase(platform::FirstCharacters(name, kMaxNameLength));
}

}  // namespace

CHandleList::CHandleList(bool indexByName, bool locked) : indexed_(indexByName), locked_(locked) {
    if (indexed_) entries_.reserve(512);
}

CHandleList::~CHandleList() {
    std::vector<CHandleData*> entries;
    {
        auto guard = Hold();
        entries.swap(entries_);  // nothing is listed any more: Release won't ask us
        byName_.clear();
    }
    // Free every value first, while each entry is still held here, so that
    // cycles through procedure bodies break and no entry dies too early. A
    // freed entry becomes empty, not deleted, since bodies freed later
    // still let go of it. Primitives are not counted and stay as they are
    // until no body can refer to them.
    for (CHandleData* cell : entries) {
        if (!IsCell(cell) || cell->Type() == kTypePrimitive) continue;
        cell->SetState(kStateTemp, false, 0);
        cell->SetType(kTypeEmpty);
    }
    for (CHandleData* cell : entries) {
        if (!IsCell(cell)) continue;
        cell->SetType(kTypeEmpty);
        Release(cell);
    }
}

std::ptrdiff_t CHandleList::IndexOfToken(int32_t token) const {
    std::ptrdiff_t low = 0;
    std::ptrdiff_t high = static_cast<std::ptrdiff_t>(entries_.size()) - 1;
    while (low <= high) {
        const std::ptrdiff_t mid = (low + high) / 2;
        const int32_t midToken = entries_[mid]->Token();
        if (token < midToken)
            high = mid - 1;
        else if (token > midToken)
            low = mid + 1;
        else
            return mid;
    }
    return -1;
}

CHandleData* CHandleList::EntryOfName(std::string_view name) const {
    if (!indexed_) {
        const std::ptrdiff_t i = IndexOfName(name);
        return i < 0 ? nullptr : entries_[i];
    }
    if (name.empty()) return nullptr;
    // Of several entries of one name, the first in token order answers.
    CHandleData* first = nullptr;
    auto [from, to] = byName_.equal_range(FoldedName(name));
    for (auto it = from; it != to; ++it)
        if (!first || it->second->Token() < first->Token()) first = it->second;
    return first;
}

std::ptrdiff_t CHandleList::IndexOfName(std::string_view name) const {
    if (name.empty()) return -1;
    if (indexed_) {
        const CHandleData* first = EntryOfName(name);
        return first ? IndexOfCell(first) : -1;
    }
    name = platform::FirstCharacters(name, kMaxNameLength);
    // Names are mostly written alike each time: the exact match is tried
    // before the one that ignores case.
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const std::string& entry = entries_[i]->Name();
        if (entry == name || platform::EqualsIgnoringCase(entry, name))
            return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

// Tokens are unique among the name table's entries, but a variable scope
// holds many entries of one token: the cell itself is looked for among
// the entries of its token.
std::ptrdiff_t CHandleList::IndexOfCell(const CHandleData* cell) const {
    std::ptrdiff_t i = IndexOfToken(cell->Token());
    if (i < 0) return -1;
    const int32_t token = cell->Token();
    while (i > 0 && entries_[i - 1]->Token() == token) --i;
    for (auto n = entries_.size(); static_cast<std::size_t>(i) < n; ++i) {
        if (entries_[i]->Token() != token) return -1;
        if (entries_[i] == cell) return i;
    }
    return -1;
}

void CHandleList::Unindex(const CHandleData* cell) {
    if (!indexed_) return;
    auto [from, to] = byName_.equal_range(FoldedName(cell->Name()));
    for (auto it = from; it != to; ++it) {
        if (it->second == cell) {
            byName_.erase(it);
            return;
        }
    }
}

bool CHandleList::Insert(CHandleData* cell, int32_t state) {
    auto guard = Hold();
    cell->SetState(state, false, 0);
    if (state == kStateTemp || state == kStateError || cell->Name().empty()) return false;

    if (indexed_) {
        byName_.emplace(FoldedName(cell->Name()), cell);
        changes_.fetch_add(1, std::memory_order_acq_rel);
    }
    const int32_t token = cell->Token();
    if (entries_.empty() || entries_.back()->Token() <= token) {
        entries_.push_back(cell);
        return true;
    }
    if (token < entries_.front()->Token()) {
        entries_.insert(entries_.begin(), cell);
        return true;
    }
    std::ptrdiff_t low = 0;
    std::ptrdiff_t high = static_cast<std::ptrdiff_t>(entries_.size()) - 1;
    std::ptrdiff_t mid = 0;
    while (low <= high) {
        mid = (low + high) / 2;
        const int32_t midToken = entries_[mid]->Token();
        if (token < midToken)
            high = mid - 1;
        else if (token > midToken)
            low = mid + 1;
        else
            break;
    }
    if (entries_[mid]->Token() < token) ++mid;
    entries_.insert(entries_.begin() + mid, cell);
    return true;
}

CHandleData* CHandleList::FindByName(std::string_view name) {
    auto guard = Hold();
    CHandleData* found = EntryOfName(name);
    Reference(found);
    return found;
}

CHandleData* CHandleList::FindByToken(int32_t token) {
    auto guard = Hold();
    const std::ptrdiff_t i = IndexOfToken(token);
    if (i < 0) return nullptr;
    Reference(entries_[i]);
    return entries_[i];
}

void CHandleList::RemoveAt(std::size_t index) {
    CHandleData* cell = entries_[index];
    Unindex(cell);
    if (indexed_) changes_.fetch_add(1, std::memory_order_acq_rel);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    Release(cell);
}

// The entry is found by its token and address: no name is compared.
bool CHandleList::Replace(CHandleData* entry, CHandleData* cell, int32_t state) {
    auto guard = Hold();
    if (entry->Token() != cell->Token()) return false;
    const std::ptrdiff_t i = IndexOfCell(entry);
    if (i < 0) return false;
    if (indexed_) {
        Unindex(entry);
        byName_.emplace(FoldedName(cell->Name()), cell);
    }
    cell->SetState(state, false, 0);
    entries_[i] = cell;
    Release(entry);
    return true;
}

void CHandleList::RemoveByName(std::string_view name) {
    auto guard = Hold();
    const std::ptrdiff_t i = IndexOfName(name);
    if (i >= 0) RemoveAt(static_cast<std::size_t>(i));
}

void CHandleList::RemoveByToken(int32_t token) {
    auto guard = Hold();
    const std::ptrdiff_t i = IndexOfToken(token);
    if (i >= 0) RemoveAt(static_cast<std::size_t>(i));
}

// Emptying a scope at the end of every call allocates nothing: the entries
// leave all at once, and the array comes back for the next ones.
void CHandleList::RemoveAllWithState(int32_t state) {
    auto guard = Hold();
    std::vector<CHandleData*> removed;
    if (state == 0) {
        removed.swap(entries_);
    } else {
        std::size_t kept = 0;
        for (CHandleData* cell : entries_) {
            if (cell->State() == state)
                removed.push_back(cell);
            else
                entries_[kept++] = cell;
        }
        entries_.resize(kept);
    }
    if (indexed_ && !removed.empty()) changes_.fetch_add(1, std::memory_order_acq_rel);
    for (CHandleData* cell : removed) Unindex(cell);
    for (CHandleData* cell : removed) {
        cell->SetState(kStateTemp, false, 0);
        Release(cell);
    }
    if (state == 0 && entries_.empty()) {
        removed.clear();
        entries_.swap(removed);
    }
}

// The cell itself must be the entry, or Release would take a stranger of
// the same token out of the list.
bool CHandleList::IsListed(CHandleData* cell) {
    auto guard = Hold();
    const std::ptrdiff_t i = IndexOfCell(cell);
    if (i < 0) return false;
    RemoveAt(static_cast<std::size_t>(i));
    return true;
}

std::size_t CHandleList::Size() const {
    auto guard = Hold();
    return entries_.size();
}

std::vector<CHandleData*> CHandleList::Snapshot() const {
    auto guard = Hold();
    for (CHandleData* cell : entries_) Reference(cell);
    return entries_;
}
