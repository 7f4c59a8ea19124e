// Blocks of one size for objects made and dropped in great numbers. A block
// carries no header of its own (the C library's allocator adds 16 bytes to
// each and rounds up), and each thread takes and returns blocks through a
// cache of its own, so the common case takes no lock. Any thread may return
// a block, whichever took it: a full cache passes a batch to the shared
// store, from which an empty one takes a batch back. Memory, once carved,
// stays with the pool for the rest of the run.
//
// Under the address sanitizer every block is an allocation of its own
// again, so that it still sees each use after free and each leak.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <new>

namespace platform {

template <std::size_t Size>
class BlockPool {
  public:
    static void* Allocate() {
        if constexpr (kSanitized) return ::operator new(Size);
        Cache& cache = t_cache;
        if (!cache.head) Refill(cache);
        Block* block = cache.head;
        cache.head = block->next;
        --cache.count;
        return block;
    }

    static void Free(void* pointer) noexcept {
        if constexpr (kSanitized) return ::operator delete(pointer);
        auto* block = static_cast<Block*>(pointer);
        Cache& cache = t_cache;
        if (!cache.owned || cache.count >= 2 * kBatch) [[unlikely]] {
            if (!Own(cache)) {
                // The thread is ending: straight back to the store.
                *block = {nullptr, nullptr, 1};
                Store(block);
                return;
            }
            if (cache.count >= 2 * kBatch) Spill(cache);
        }
        *block = {cache.head, nullptr, 0};
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
                cache.head->count = cache.count;
                Store(cache.head);
            }
            cache = Cache{};
            t_ended = true;
        }
    };

#if defined(__SANITIZE_ADDRESS__)
    static constexpr bool kSanitized = true;
#else
    static constexpr bool kSanitized = false;
#endif
    static constexpr std::size_t kBatch = 64;
    static constexpr std::size_t kChunk = 64 * 1024;

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
        batch->nextBatch = shared.batches;
        shared.batches = batch;
    }

    // A thread that allocates after its end (while the process exits)
    // keeps what it takes: the process is about to return it all.
    static void Refill(Cache& cache) {
        Own(cache);
        Shared& shared = SharedState();
        std::lock_guard<std::mutex> guard(shared.lock);
        if (Block* batch = shared.batches) {
            shared.batches = batch->nextBatch;
            cache.head = batch;
            cache.count = batch->count;
            return;
        }
        for (std::size_t i = 0; i < kBatch; ++i) {
            if (shared.carve + Size > shared.carveEnd) {
                auto* chunk = static_cast<char*>(::operator new(kChunk));
                *reinterpret_cast<void**>(chunk) = shared.chunks;
                shared.chunks = chunk;
                shared.carve = chunk + alignof(std::max_align_t);
                shared.carveEnd = chunk + kChunk;
            }
            auto* block = reinterpret_cast<Block*>(shared.carve);
            shared.carve += Size;
            ++shared.carved;
            *block = {cache.head, nullptr, 0};
            cache.head = block;
            ++cache.count;
        }
    }

    // Keeps kBatch blocks and passes the rest to the store as a batch.
    static void Spill(Cache& cache) noexcept {
        Block* batch = cache.head;
        Block* last = batch;
        for (std::size_t i = 1; i < kBatch; ++i) last = last->next;
        cache.head = last->next;
        last->next = nullptr;
        cache.count -= kBatch;
        batch->count = kBatch;
        Store(batch);
    }

    static constinit inline thread_local Cache t_cache{};
    static constinit inline thread_local bool t_ended = false;
};

}  // namespace platform
