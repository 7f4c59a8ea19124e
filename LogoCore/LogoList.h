// The Logo list value: an ordered array of element cells with a reference
// count of its own. A list is filled by the thread that makes it and is
// read-only afterwards, so it needs no lock.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CHandleData;

class CLogoList {
  public:
    static constexpr const char* kClassName = "CLogoList";

    CLogoList() = default;  // empty, count 1
    // A copy: the same element cells in the same order, each with one more
    // reference. Lists are never copied deeply.
    static CLogoList* CopyOf(const CLogoList& source);
    CLogoList(const CLogoList&) = delete;
    CLogoList& operator=(const CLogoList&) = delete;

    // The element with one more reference, which the caller releases.
    CHandleData* GetAt(std::size_t index) const;
    // The element without a reference; valid while the list is.
    CHandleData* ElementAt(std::size_t index) const { return elements_[index]; }
    // Takes one more reference to the cell and appends it.
    void Add(CHandleData* cell);
    // Appends the cell, adopting the caller's reference.
    void Adopt(CHandleData* cell);
    void Reserve(std::size_t size) { elements_.reserve(size); }

    std::size_t Size() const { return elements_.size(); }
    int32_t UpperBound() const { return static_cast<int32_t>(elements_.size()) - 1; }

    void AddRef() { count_.fetch_add(1, std::memory_order_relaxed); }
    void Release();
    int32_t Count() const { return count_.load(std::memory_order_relaxed); }

    void SetState(int32_t state, bool recursive, int32_t onlyIf);

    // "[" elements from firstIndex on, one blank apart, "]".
    std::string ListToString(bool release, bool quoted, std::size_t firstIndex = 0);

  private:
    ~CLogoList();

    std::vector<CHandleData*> elements_;
    std::atomic<int32_t> count_{1};
};
