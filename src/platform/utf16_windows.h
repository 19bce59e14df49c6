#pragma once
#include <string>
#include <string_view>

namespace orv {

// The linker keeps names in UTF-8; the Windows side hands them to the host's
// wide-character calls. Bytes that are not UTF-8 are taken as Latin-1, so that
// every name still opens something and nothing is lost.
std::wstring to_utf16(std::string_view text);
std::string to_utf8(std::wstring_view text);

}  // namespace orv
