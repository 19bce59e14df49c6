#include <windows.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cwctype>
#include <fstream>
#include <functional>
#include <mutex>
#include <random>
#include <stdexcept>
#include <thread>

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

// Wine's CreateProcessW now and then fails on a busy machine (error 1359,
// an internal error, while it forks its loader) and then starts the same
// program a moment later. A failure that names a real cause (no such file,
// no such folder, not a program) is final; any other is tried again a few
// times, so that a test fails for the linker's sake only.
bool start_may_succeed_later(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DIRECTORY:
        case ERROR_BAD_EXE_FORMAT:
        case ERROR_ACCESS_DENIED:
            return false;
        default:
            return true;
    }
}

// Calls `start` (true when the program started, else it sets `error` to what
// CreateProcessW gave) until the program starts or fails for a real cause.
bool start_program(const std::function<bool(DWORD& error)>& start, DWORD& error) {
    constexpr int attempts = 8;
    bool started = start(error);
    for (int attempt = 1; !started && start_may_succeed_later(error) && attempt < attempts; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50 << attempt));
        started = start(error);
    }
    return started;
}

HANDLE inheritable_file(const std::string& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(to_utf16(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Wine's kernel32 turns names between the two sides; a Windows host has
// neither export. Both return memory of the process heap.
using NameConversion = char* (*)(const wchar_t*);
using DosConversion = wchar_t* (*)(const char*);

NameConversion wine_unix_name() {
    return reinterpret_cast<NameConversion>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

DosConversion wine_dos_name() {
    return reinterpret_cast<DosConversion>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
}

bool under_wine() { return wine_unix_name() != nullptr; }

// Where the scratch files go. Wine sets TMP and TEMP to a folder of its
// prefix whatever the build host's were, so there the Unix folder that
// ORV_TEST_SCRATCH names (make test-windows sets it), else /tmp, is taken by
// its drive-letter name: a folder the build host's programs reach too.
std::filesystem::path scratch_base() {
    if (DosConversion dos_name = wine_dos_name()) {
        const char* scratch = std::getenv("ORV_TEST_SCRATCH");
        wchar_t* name = dos_name(scratch != nullptr && *scratch == '/' ? scratch : "/tmp");
        if (name != nullptr) {
            std::filesystem::path base(name);
            HeapFree(GetProcessHeap(), 0, name);
            return base;
        }
    }
    return std::filesystem::temp_directory_path();
}

std::filesystem::path scratch_name(const std::string& prefix) {
    return scratch_base() /
           (prefix + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(std::random_device{}()));
}

bool ends_with_exe(const std::string& program) {
    if (program.size() < 4) return false;
    std::string tail = program.substr(program.size() - 4);
    for (char& c : tail) c = char(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".exe";
}

// A whole argument that is a drive-letter path names the file to a build
// host program by its Unix path.
bool is_drive_path(const std::string& arg) {
    return arg.size() >= 3 && std::isalpha(static_cast<unsigned char>(arg[0])) && arg[1] == ':' &&
           (arg[2] == '\\' || arg[2] == '/');
}

std::string shell_quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted.push_back(c);
        }
    }
    return quoted + "'";
}

// Wine starts a program of the build host (an ELF file) but gives back no
// handle to wait on nor its exit status. So it runs under /bin/sh from a
// script that redirects the streams to scratch files and, last, writes the
// status to a file of its own, which this side waits for.
RunResult run_build_host_program(const std::string& program, const std::filesystem::path& dir,
                                 const std::vector<std::string>& args, const std::string& input,
                                 const std::map<std::string, std::string>& env) {
    const std::string base = scratch_name("orvhost-").string();
    const std::string status_name = base + ".status";
    {
        std::ofstream in(base + ".in", std::ios::binary);
        in << input;
    }
    std::string script = "(\ncd " + shell_quoted(build_host_path(dir)) + " || exit 126\nunset LIBOV SOURCE_DATE_EPOCH\n";
    for (const auto& [name, value] : env) {
        script += value.empty() ? "unset " + name + "\n" : "export " + name + "=" + shell_quoted(value) + "\n";
    }
    script += shell_quoted(program);
    for (const std::string& arg : args) script += " " + shell_quoted(is_drive_path(arg) ? build_host_path(arg) : arg);
    script += " <" + shell_quoted(build_host_path(base + ".in")) + " >" + shell_quoted(build_host_path(base + ".out")) +
              " 2>" + shell_quoted(build_host_path(base + ".err")) + "\n)\n";
    script += "echo $? >" + shell_quoted(build_host_path(base + ".part")) + "\nmv " +
              shell_quoted(build_host_path(base + ".part")) + " " + shell_quoted(build_host_path(status_name)) + "\n";
    {
        std::ofstream file(base + ".sh", std::ios::binary);
        file << script;
    }
    std::wstring command = L"/bin/sh " + quoted_argument(to_utf16(build_host_path(base + ".sh")));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    RunResult result;
    DWORD start_error = 0;
    const bool started = start_program(
        [&](DWORD& error) {
            if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process)) {
                return true;
            }
            error = GetLastError();
            return false;
        },
        start_error);
    if (started) {
        if (process.hThread != nullptr) CloseHandle(process.hThread);
        if (process.hProcess != nullptr) CloseHandle(process.hProcess);
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::minutes(10);
        while (!std::filesystem::exists(status_name) && std::chrono::steady_clock::now() < give_up) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        std::string status = read_file(status_name);
        result.status = status.empty() ? 124 : std::stoi(status);  // 124: as timeout(1) reports one
    } else {
        result.status = 127;
    }
    result.out = read_file(base + ".out");
    result.err = read_file(base + ".err");
    for (const char* suffix : {".in", ".out", ".err", ".sh", ".part", ".status"}) {
        std::error_code ignored;
        std::filesystem::remove(base + suffix, ignored);
    }
    return result;
}

}  // namespace

RunResult run_program(const std::string& program, const std::filesystem::path& dir,
                      const std::vector<std::string>& args, const std::string& input,
                      const std::map<std::string, std::string>& env) {
    if (under_wine() && !ends_with_exe(program)) return run_build_host_program(program, dir, args, input, env);
    std::filesystem::path base = scratch_name("orvrun-");
    std::string in_name = base.string() + ".in";
    std::string out_name = base.string() + ".out";
    std::string err_name = base.string() + ".err";
    {
        std::ofstream in(in_name, std::ios::binary);
        in << input;
    }
    std::wstring command = quoted_argument(to_utf16(program));
    for (const std::string& arg : args) command += L" " + quoted_argument(to_utf16(arg));
    std::wstring environment = environment_block(env);
    PROCESS_INFORMATION process{};
    RunResult result;
    DWORD start_error = 0;
    const bool started = start_program([&](DWORD& error) {
        // A child inherits every inheritable handle of this process: while
        // one thread starts its program, no other may hold its streams open,
        // or that child would keep them (and the files could not be removed).
        static std::mutex starting;
        std::lock_guard<std::mutex> one_at_a_time(starting);
        HANDLE in = inheritable_file(in_name, GENERIC_READ, OPEN_EXISTING);
        HANDLE out = inheritable_file(out_name, GENERIC_WRITE, CREATE_ALWAYS);
        HANDLE err = inheritable_file(err_name, GENERIC_WRITE, CREATE_ALWAYS);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = in;
        startup.hStdOutput = out;
        startup.hStdError = err;
        const bool ok = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                                       environment.data(), dir.wstring().c_str(), &startup, &process) != 0;
        if (!ok) error = GetLastError();
        for (HANDLE handle : {in, out, err}) CloseHandle(handle);
        return ok;
    }, start_error);
    if (started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        result.status = int(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    result.out = read_file(out_name);
    result.err = read_file(err_name);
    if (!started) {
        result.status = 127;  // as a POSIX shell reports a program it cannot start
        result.err += program + ": cannot be started (error " + std::to_string(start_error) + ")\n";
    }
    std::filesystem::remove(in_name);
    std::filesystem::remove(out_name);
    std::filesystem::remove(err_name);
    return result;
}

TempDir::TempDir() {
    std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate =
            scratch_base() / ("orvtest-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("no scratch directory could be made");
}

namespace {

// Removes a directory and what it holds by the \\?\ form of its path, so
// that names longer than MAX_PATH, which some tests make, go too.
void remove_tree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring entry = path + L"\\" + name;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(entry.c_str());
            } else if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
                RemoveDirectoryW(entry.c_str());
            } else {
                remove_tree(entry);
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

}  // namespace

TempDir::~TempDir() {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path_, error);
    if (!error) remove_tree(L"\\\\?\\" + absolute.lexically_normal().make_preferred().wstring());
}

// Under Wine, the Unix path that Wine maps the Windows one to.
std::string build_host_path(const std::filesystem::path& path) {
    NameConversion unix_name = wine_unix_name();
    if (unix_name == nullptr) return to_utf8(path.wstring());
    char* name = unix_name(std::filesystem::absolute(path).wstring().c_str());
    if (name == nullptr) return to_utf8(path.wstring());
    std::string text(name);
    HeapFree(GetProcessHeap(), 0, name);
    return text;
}

std::string program_launcher() {
    if (!under_wine()) return "";
    const char* wine = std::getenv("WINE");  // as make test-windows takes it
    return wine != nullptr && *wine != '\0' ? wine : "wine";
}

void set_environment(const std::string& name, const std::string& value) {
    _putenv_s(name.c_str(), value.c_str());
}

void unset_environment(const std::string& name) { _putenv_s(name.c_str(), ""); }

bool limit_address_space(std::size_t) { return false; }

}  // namespace orv::test
