#pragma once
#include <cstdio>
#include <vector>

#include "report/memory_usage.h"

namespace orv {

// The memory usage table in the layout that tools reading other linkers'
// tables expect: a header line, then per row the name right-aligned in 16
// columns and a colon, the used and the region size (in KB or MB only when
// an exact multiple), and the percentage used (none for a region of size 0).
void print_memory_usage(std::FILE* out, const std::vector<UsageRow>& rows);

}  // namespace orv
