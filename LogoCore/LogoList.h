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
    // A copy: the same element cells in the same order. Lists are never
    // copied deeply, and since a list is read-only once filled, a copy
    // shares the source's element array instead of copying it.
    static CLogoList* CopyOf(const CLogoList& source);
    // The items first .. first + size - 1 of the source, sharing its element
    // array (butfirst and butlast of a long list cost nothing).
    static CLogoList* SliceOf(const CLogoList& source, std::size_t first, std::size_t size);
    // A new list of the item (its reference adopted) followed by the items
    // of the rest. Lists made this way keep room in front of their items,
    // so that putting one item after another in front of a list costs no
    // copy, amortised.
    static CLogoList* WithFirst(CHandleData* item, const CLogoList& rest);
    CLogoList(const CLogoList&) = delete;
    CLogoList& operator=(const CLogoList&) = delete;
    // Every list operation makes a list (a copy, a slice): they come from a
    // pool of blocks of their size, as cells do.
    static void* operator new(std::size_t size);
    static void operator delete(void* list) noexcept;

    // The element with one more reference, which the caller releases.
    CHandleData* GetAt(std::size_t index) const;
    // The element without a reference; valid while the list is.
    CHandleData* ElementAt(std::size_t index) const { return Items()[index]; }
    // Takes one more reference to the cell and appends it.
    void Add(CHandleData* cell);
    // Appends the cell, adopting the caller's reference.
    void Adopt(CHandleData* cell);
    void Reserve(std::size_t size) {
        if (!base_) elements_.reserve(size);
    }

    std::size_t Size() const { return base_ ? size_ : elements_.size() - Front(); }
    int32_t UpperBound() const { return static_cast<int32_t>(Size()) - 1; }

    void AddRef() { count_.fetch_add(1, std::memory_order_relaxed); }
    void Release();
    int32_t Count() const { return count_.load(std::memory_order_relaxed); }

    void SetState(int32_t state, bool recursive, int32_t onlyIf);

    // "[" elements from firstIndex on, one blank apart, "]".
    std::string ListToString(bool release, bool quoted, std::size_t firstIndex = 0);
    // The same text appended: an element that is a list written the same
    // way, at any depth, and every other element as itemText gives it.
    using ItemText = std::string (*)(CHandleData* item, bool quoted);
    void AppendText(std::string& text, bool quoted, ItemText itemText,
                    std::size_t firstIndex = 0) const;

  private:
    ~CLogoList();

    CHandleData* const* Items() const {
        return base_ ? base_->elements_.data() + first_ : elements_.data() + Front();
    }
    std::size_t Front() const { return front_.load(std::memory_order_acquire); }

    // A list owns its elements; a shared one (base_ set) holds the list
    // that owns them instead, and sees size_ of them from first_ on.
    std::vector<CHandleData*> elements_;
    CLogoList* base_ = nullptr;
    std::size_t first_ = 0;
    std::size_t size_ = 0;
    // The owner's first used slot: the slots before it are room that
    // WithFirst claims, one at a time, by moving it down.
    std::atomic<std::size_t> front_{0};
    std::atomic<int32_t> count_{1};
};

// Holds one reference to a list and lets it go at the end of the scope,
// however the scope is left.
class ListReference {
  public:
    explicit ListReference(CLogoList* list) : list_(list) {}
    ~ListReference() { list_->Release(); }
    ListReference(const ListReference&) = delete;
    ListReference& operator=(const ListReference&) = delete;
    CLogoList* operator->() const { return list_; }
    CLogoList* Get() const { return list_; }

  private:
    CLogoList* list_;
};
