#pragma once
#include "platform/memory_stream.h"

namespace orv::test {

// A memory stream standing in for one console stream of an in-process link.
using CapturedStream = MemoryStream;

}  // namespace orv::test
