// The code a task read from lists it ran, so that a list run again and
// again (a loop's body, a test's branch) is read once. Each task has its
// own, so no lock is needed, and the code is let go when the task ends: a
// list kept beside its code would otherwise make a cycle with a procedure
// whose body holds the list and whose entry the code names.
#pragma once

#include <array>
#include <cstdint>

class CHandleData;
class CLogoList;

class CListCodeCache {
  public:
    CListCodeCache() = default;
    CListCodeCache(const CListCodeCache&) = delete;
    CListCodeCache& operator=(const CListCodeCache&) = delete;
    ~CListCodeCache() { Clear(); }

    // The code kept for the list while the name table has seen `changes`
    // entries come or go (code names the entries it found), with one
    // reference for the caller; null when none is kept.
    CHandleData* Find(const CLogoList* list, uint64_t changes) const;
    // Keeps the code (with a reference of its own) and the list.
    void Keep(CLogoList* list, CHandleData* code, uint64_t changes);
    void Clear();

  private:
    struct Slot {
        CLogoList* list = nullptr;
        CHandleData* code = nullptr;
        uint64_t changes = 0;
    };
    static std::size_t SlotOf(const CLogoList* list);
    void Empty(Slot& slot);

    std::array<Slot, 32> slots_{};
};
