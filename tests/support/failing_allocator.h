#pragma once

#include <cstddef>

// The test program's operator new, with a switch that makes one allocation
// fail: after FailAllocationAfter(n), n more allocations succeed and the next
// one throws std::bad_alloc. Link this into a test to replace operator new.
void FailAllocationAfter(std::size_t successes);
void StopFailingAllocations();

// Whether the planned failure has happened since the last FailAllocationAfter.
bool AllocationFailed();
