#include "platform/program_arguments.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdlib>

#include "platform/utf16_windows.h"

namespace orv {

std::vector<std::string> program_arguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    // Without the wide command line, the code page's form is all there is.
    if (wide == nullptr) return argc < 1 ? std::vector<std::string>{} : std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(to_utf8(wide[i]));
    LocalFree(wide);
    return args;
}

std::optional<std::string> environment_variable(const char* name) {
    const wchar_t* value = _wgetenv(to_utf16(name).c_str());
    if (value == nullptr) return std::nullopt;
    return to_utf8(value);
}

}  // namespace orv
