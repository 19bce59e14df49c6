#pragma once

namespace orv::test {

// True in a build with AddressSanitizer, which reserves more address space
// than any address-space limit of a test leaves. GCC announces the sanitizer
// with a macro, Clang through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool ADDRESS_SANITIZER = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool ADDRESS_SANITIZER = true;
#else
constexpr bool ADDRESS_SANITIZER = false;
#endif
#else
constexpr bool ADDRESS_SANITIZER = false;
#endif

}  // namespace orv::test
