#pragma once
#include <gtest/gtest.h>

namespace orv::test {

// The Windows build runs the same tests; what a test needs that Windows lacks
// (a named pipe, ulimit, make and a POSIX shell, symbolic links, file modes)
// makes it skip there, with its reason.
#ifdef _WIN32
inline constexpr bool HOST_IS_WINDOWS = true;
#else
inline constexpr bool HOST_IS_WINDOWS = false;
#endif

}  // namespace orv::test

#define SKIP_ON_WINDOWS(reason)                                       \
    do {                                                              \
        if (::orv::test::HOST_IS_WINDOWS) GTEST_SKIP() << (reason);   \
    } while (0)
