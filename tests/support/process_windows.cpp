#include <windows.h>

#include <cwctype>
#include <fstream>
#include <random>
#include <stdexcept>

#include "platform/utf16_windows.h"
#include "support/run_linker.h"

// How a test starts a program and makes a scratch directory on Windows.
namespace orv::test {
namespace {

// One argument as the C runtime's command-line parser reads it back:
// quoted when it holds a blank or a quote, with the backslashes before a
// quote doubled and the quote itself escaped.
std::wstring quoted_argument(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    std::wstring text = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') backslashes = 2 * backslashes + 1;
        text.append(backslashes, L'\\');
        backslashes = 0;
        text.push_back(c);
    }
    text.append(2 * backslashes, L'\\');
    return text + L"\"";
}

bool same_name(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towupper(a[i]) != std::towupper(b[i])) return false;
    }
    return true;
}

// This process's environment with LIBOV and SOURCE_DATE_EPOCH removed and
// `env` applied, as a block for CreateProcessW.
std::wstring environment_block(const std::map<std::string, std::string>& env) {
    std::map<std::wstring, std::wstring> variables;
    std::vector<std::wstring> order;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* p = strings; *p != L'\0'; p += std::wcslen(p) + 1) {
        std::wstring entry(p);
        std::size_t equals = entry.find(L'=', 1);
        if (equals == std::wstring::npos) continue;
        std::wstring name = entry.substr(0, equals);
        variables[name] = entry.substr(equals + 1);
        order.push_back(name);
    }
    FreeEnvironmentStringsW(strings);
    auto erase = [&](const std::wstring& name) {
        for (auto it = variables.begin(); it != variables.end();) {
            it = same_name(it->first, name) ? variables.erase(it) : std::next(it);
        }
    };
    erase(L"LIBOV");
    erase(L"SOURCE_DATE_EPOCH");
    for (const auto& [name, value] : env) {
        erase(to_utf16(name));
        if (!value.empty()) variables[to_utf16(name)] = to_utf16(value);
    }
    std::wstring block;
    for (const auto& [name, value] : variables) block += name + L"=" + value + L'\0';
    return block + L'\0';
}

HANDLE inheritable_file(const std::string& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(to_utf16(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

RunResult run_program(const std::string& program, const std::filesystem::path& dir,
                      const std::vector<std::string>& args, const std::string& input,
                      const std::map<std::string, std::string>& env) {
    std::filesystem::path base = std::filesystem::temp_directory_path() /
                                 ("orvrun-" + std::to_string(GetCurrentProcessId()) + "-" +
                                  std::to_string(std::random_device{}()));
    std::string in_name = base.string() + ".in";
    std::string out_name = base.string() + ".out";
    std::string err_name = base.string() + ".err";
    {
        std::ofstream in(in_name, std::ios::binary);
        in << input;
    }
    HANDLE in = inheritable_file(in_name, GENERIC_READ, OPEN_EXISTING);
    HANDLE out = inheritable_file(out_name, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE err = inheritable_file(err_name, GENERIC_WRITE, CREATE_ALWAYS);
    std::wstring command = quoted_argument(to_utf16(program));
    for (const std::string& arg : args) command += L" " + quoted_argument(to_utf16(arg));
    std::wstring environment = environment_block(env);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    RunResult result;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                       environment.data(), dir.wstring().c_str(), &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        result.status = int(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        result.status = 127;  // as a POSIX shell reports a program it cannot start
    }
    for (HANDLE handle : {in, out, err}) CloseHandle(handle);
    result.out = read_file(out_name);
    result.err = read_file(err_name);
    std::filesystem::remove(in_name);
    std::filesystem::remove(out_name);
    std::filesystem::remove(err_name);
    return result;
}

TempDir::TempDir() {
    std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate =
            std::filesystem::temp_directory_path() / ("orvtest-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("no scratch directory could be made");
}

// Wine runs the build host's programs when started by their Unix path, and
// tells the Unix path of a Windows one through an export of its kernel32.
std::string build_host_path(const std::filesystem::path& path) {
    using UnixName = char* (*)(const wchar_t*);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto unix_name = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")));
    if (unix_name == nullptr) return path.string();
    char* name = unix_name(std::filesystem::absolute(path).wstring().c_str());
    if (name == nullptr) return path.string();
    std::string text(name);
    HeapFree(GetProcessHeap(), 0, name);
    return text;
}

void set_environment(const std::string& name, const std::string& value) {
    _putenv_s(name.c_str(), value.c_str());
}

void unset_environment(const std::string& name) { _putenv_s(name.c_str(), ""); }

bool limit_address_space(std::size_t) { return false; }

}  // namespace orv::test
