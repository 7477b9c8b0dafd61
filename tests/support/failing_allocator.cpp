#include "support/failing_allocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

// GCC takes the replaced operators below for a mismatched pair.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

constexpr long kNever = -1;
std::atomic<long> allocationsLeft{kNever};
std::atomic<bool> failed{false};

}  // namespace

void FailAllocationAfter(std::size_t successes)
{
    failed = false;
    allocationsLeft = static_cast<long>(successes);
}

void StopFailingAllocations() { allocationsLeft = kNever; }

bool AllocationFailed() { return failed; }

void* operator new(std::size_t size)
{
    long left = allocationsLeft.load();
    while (left >= 0 && !allocationsLeft.compare_exchange_weak(left, left - 1)) {
    }
    if (left == 0) {
        failed = true;
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
