// Blocks of one size for objects made and dropped in great numbers. A block
// carries no header of its own (the C library's allocator adds 16 bytes to
// each and rounds up), and each thread takes and returns blocks through a
// cache of its own, so the common case takes no lock. Any thread may return
// a block, whichever took it: a full cache passes a batch to the shared
// store, from which an empty one takes a batch back. Memory, once carved,
// stays with the pool for the rest of the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define KINETRA_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define KINETRA_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define KINETRA_POISON(p, n) ((void)(p), (void)(n))
#define KINETRA_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace platform {

template <std::size_t Size>
class BlockPool {
  public:
    static void* Allocate() {
        Cache& cache = t_cache;
        if (!cache.head) Refill(cache);
        Block* block = cache.head;
        cache.head = Link(block).next;
        --cache.count;
        KINETRA_UNPOISON(block, Size);
        return block;
    }

    static void Free(void* pointer) noexcept {
        auto* block = static_cast<Block*>(pointer);
        Cache& cache = t_cache;
        if (!cache.owned || cache.count >= 2 * kBatch) [[unlikely]] {
            if (!Own(cache)) {
                // The thread is ending: straight back to the store.
                SetLink(block, {nullptr, nullptr, 1});
                Store(block);
                return;
            }
            if (cache.count >= 2 * kBatch) Spill(cache);
        }
        SetLink(block, {cache.head, nullptr, 0});
        cache.head = block;
        ++cache.count;
    }

    // Blocks carved so far, free or in use (for tests and diagnostics).
    static std::size_t Carved() {
        Shared& shared = SharedState();
        std::lock_guard<std::mutex> guard(shared.lock);
        return shared.carved;
    }

  private:
    // A free block links the next one; the first block of a batch in the
    // shared store also links the next batch and counts its own.
    struct Block {
        Block* next;
        Block* nextBatch;
        std::size_t count;
    };
    static_assert(Size >= sizeof(Block) && Size % alignof(Block) == 0,
                  "a block holds its links and keeps them aligned");

    struct Cache {
        Block* head = nullptr;
        std::size_t count = 0;
        bool owned = false;  // the thread's end hands the cache back
    };
    struct Shared {
        std::mutex lock;
        Block* batches = nullptr;
        char* carve = nullptr;  // the rest of the newest chunk
        char* carveEnd = nullptr;
        void* chunks = nullptr;  // every chunk, linked through its first word
        std::size_t carved = 0;
    };
    // Hands the thread's cache back to the store when the thread ends.
    struct CacheOwner {
        ~CacheOwner() {
            Cache& cache = t_cache;
            if (cache.head) {
                Block first = Link(cache.head);
                first.count = cache.count;
                SetLink(cache.head, first);
                Store(cache.head);
            }
            cache = Cache{};
            t_ended = true;
        }
    };

    static constexpr std::size_t kBatch = 64;
    static constexpr std::size_t kChunk = 64 * 1024;

    // Free blocks stay poisoned for the address sanitizer but for the
    // moment their links are read or written.
    static Block Link(Block* block) {
        KINETRA_UNPOISON(block, sizeof(Block));
        Block link = *block;
        KINETRA_POISON(block, Size);
        return link;
    }
    static void SetLink(Block* block, const Block& link) {
        KINETRA_UNPOISON(block, sizeof(Block));
        *block = link;
        KINETRA_POISON(block, Size);
    }

    // Never destroyed: blocks are freed until the very end of the run.
    static Shared& SharedState() {
        static Shared* shared = new Shared;
        return *shared;
    }

    // The owner is made the first time the thread's slow paths run; false
    // once the thread's end has handed its cache back.
    static bool Own(Cache& cache) {
        if (t_ended) return false;
        if (!cache.owned) {
            static thread_local CacheOwner owner;
            (void)owner;
            cache.owned = true;
        }
        return true;
    }

    // A batch (its count in its first block) into the shared store.
    static void Store(Block* batch) noexcept {
        Shared& shared = SharedState();
        std::lock_guard<std::mutex> guard(shared.lock);
        Block first = Link(batch);
        first.nextBatch = shared.batches;
        SetLink(batch, first);
        shared.batches = batch;
    }

    static void Refill(Cache& cache) {
        Own(cache);
        Shared& shared = SharedState();
        std::lock_guard<std::mutex> guard(shared.lock);
        if (Block* batch = shared.batches) {
            const Block first = Link(batch);
            shared.batches = first.nextBatch;
            cache.head = batch;
            cache.count = first.count;
            return;
        }
        for (std::size_t i = 0; i < kBatch; ++i) {
            if (shared.carve + Size > shared.carveEnd) {
                auto* chunk = static_cast<char*>(::operator new(kChunk));
                *reinterpret_cast<void**>(chunk) = shared.chunks;
                shared.chunks = chunk;
                shared.carve = chunk + alignof(std::max_align_t);
                shared.carveEnd = chunk + kChunk;
                KINETRA_POISON(shared.carve, shared.carveEnd - shared.carve);
            }
            auto* block = reinterpret_cast<Block*>(shared.carve);
            shared.carve += Size;
            ++shared.carved;
            SetLink(block, {cache.head, nullptr, 0});
            cache.head = block;
            ++cache.count;
        }
    }

    // Keeps kBatch blocks and passes the rest to the store as a batch.
    static void Spill(Cache& cache) noexcept {
        Block* batch = cache.head;
        Block* last = batch;
        for (std::size_t i = 1; i < kBatch; ++i) last = Link(last).next;
        cache.head = Link(last).next;
        SetLink(last, {nullptr, nullptr, 0});
        cache.count -= kBatch;
        Block first = Link(batch);
        first.count = kBatch;
        SetLink(batch, first);
        Store(batch);
    }

    static constinit inline thread_local Cache t_cache{};
    static constinit inline thread_local bool t_ended = false;
};

}  // namespace platform
