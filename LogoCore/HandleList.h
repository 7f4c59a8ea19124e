// A locked array of named cells kept in ascending token order: the name
// table is one, and every variable scope holds one.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CHandleData;

class CHandleList {
  public:
    static constexpr const char* kClassName = "CHandleList";

    // The name table indexes its entries by name, since every word the
    // reader meets and every procedure call asks it; a variable scope holds
    // a handful of entries and searches them in turn.
    // A list that only one thread ever sees (the scope of a running call)
    // is made unlocked: its operations then take no lock.
    explicit CHandleList(bool indexByName = false, bool locked = true);
    CHandleList(const CHandleList&) = delete;
    CHandleList& operator=(const CHandleList&) = delete;
    // Breaks the cycles between entries (a procedure whose body names
    // itself), then drops the list's references. Entries that others still
    // hold survive, emptied, until their last holder lets go.
    ~CHandleList();

    // Sets the cell's state, then enters it in token order unless its name
    // is empty or the state is TEMP or ERROR. Adopts the caller's reference
    // when the cell is entered; otherwise the cell stays with the caller.
    // Answers whether the cell was entered.
    bool Insert(CHandleData* cell, int32_t state);

    // Found entries come back with one more reference.
    CHandleData* FindByName(std::string_view name);
    CHandleData* FindByToken(int32_t token);

    // The entry, while it is still listed, gives its place to the cell,
    // which carries its token (state set, the caller's reference adopted),
    // and is released. Answers whether it was listed; the cell stays with
    // the caller if not.
    bool Replace(CHandleData* entry, CHandleData* cell, int32_t state);
    void RemoveByName(std::string_view name);
    void RemoveByToken(int32_t token);
    // Every entry in the state (every entry for 0) leaves, in state TEMP.
    void RemoveAllWithState(int32_t state);

    // Asked by Release before it destroys a cell: when the cell is entered,
    // it leaves the list and the list's reference is released, and the
    // answer is yes.
    bool IsListed(CHandleData* cell);

    // How many times an entry has come or gone (counted for the name table
    // only): code read from text refers to the entries it found.
    uint64_t Changes() const { return changes_.load(std::memory_order_acquire); }

    std::size_t Size() const;
    // The entries in order, each with one more reference (for listings).
    std::vector<CHandleData*> Snapshot() const;

    // Operations are atomic; a caller that finds and then changes an entry
    // holds this lock across both. It is re-entrant.
    std::recursive_mutex& Lock() const { return lock_; }
    // The lock held for as long as the answer lives; nothing for an
    // unlocked list.
    std::unique_lock<std::recursive_mutex> Hold() const {
        return locked_ ? std::unique_lock<std::recursive_mutex>(lock_)
                       : std::unique_lock<std::recursive_mutex>();
    }

  private:
    // The index of an entry with the token, or -1.
    std::ptrdiff_t IndexOfToken(int32_t token) const;
    std::ptrdiff_t IndexOfName(std::string_view name) const;
    // The entry itself: the name table's index names it without a search.
    CHandleData* EntryOfName(std::string_view name) const;
    std::ptrdiff_t IndexOfCell(const CHandleData* cell) const;
    void RemoveAt(std::size_t index);
    void Unindex(const CHandleData* cell);

    std::vector<CHandleData*> entries_;
    // Folded name -> entries of that name; only when indexing by name.
    bool indexed_;
    bool locked_;
    std::atomic<uint64_t> changes_{0};
    std::unordered_multimap<std::string, CHandleData*> byName_;
    mutable std::recursive_mutex lock_;
};
