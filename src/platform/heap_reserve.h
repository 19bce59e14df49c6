#pragma once

namespace orv {

// A few KiB of heap held back from the start of the run. When memory runs
// out, they go back to the heap before the error is thrown: throwing takes
// memory too, and without them a link that exhausts the heap could only
// abort. The reserve belongs to the process, like the handler that operator
// new calls when the heap refuses a request, so it is the one state kept
// outside the link context.

// Takes the reserve and makes an allocation that fails give it back and
// throw std::bad_alloc. False when the heap cannot spare even the reserve.
bool take_heap_reserve();

// Gives the reserve back; nothing happens when none is held.
void release_heap_reserve();

}  // namespace orv
