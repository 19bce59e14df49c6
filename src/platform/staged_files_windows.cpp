#include "platform/staged_files.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/utf16_windows.h"

namespace orv {
namespace {

// The temporaries being written, for removal when the console is
// interrupted (Ctrl+C, Ctrl+Break, a closed window): Windows runs that
// handler on a thread of its own, so a lock keeps the list whole.
std::mutex temporaries_lock;
std::vector<std::string> temporaries;

// The host's text for the last staged open or move that failed.
std::string last_failure;

std::FILE* failed_with_errno(int error) {
    last_failure = std::strerror(error);
    return nullptr;
}

// The system's own text for an error code of a Windows call, without the
// line end it comes with.
std::string system_text(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length != 0 && buffer != nullptr ? std::wstring(buffer, length) : std::wstring();
    if (buffer != nullptr) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.')) text.pop_back();
    return to_utf8(text);
}

void remember_temporary(const std::string& path) {
    std::lock_guard<std::mutex> hold(temporaries_lock);
    temporaries.push_back(path);
}

void forget_temporary(const std::string& path) {
    std::lock_guard<std::mutex> hold(temporaries_lock);
    for (std::size_t i = 0; i < temporaries.size(); ++i) {
        if (temporaries[i] == path) {
            temporaries.erase(temporaries.begin() + std::ptrdiff_t(i));
            return;
        }
    }
}

std::string directory_of(const std::string& path) {
    std::size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

// A new file beside `final_path`, named after it with a number that no
// file there has yet.
std::FILE* open_temporary(const std::string& final_path, std::string& temp_path) {
    const std::string dir = directory_of(final_path);
    const std::string base = final_path.substr(dir.size());
    const unsigned long seed = GetCurrentProcessId() ^ GetTickCount();
    for (unsigned long attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = dir + "." + base + "." + std::to_string(seed + attempt * 7919);
        int fd = _wopen(to_utf16(candidate).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                        _S_IREAD | _S_IWRITE);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return nullptr;
        }
        std::FILE* file = _fdopen(fd, "wb");
        if (file == nullptr) {
            _close(fd);
            _wremove(to_utf16(candidate).c_str());
            return nullptr;
        }
        temp_path = candidate;
        remember_temporary(candidate);
        return file;
    }
    return nullptr;
}

bool is_disk_file(const std::wstring& path) {
    HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    bool disk = GetFileType(handle) == FILE_TYPE_DISK;
    CloseHandle(handle);
    return disk;
}

}  // namespace

std::FILE* open_staged_file(const std::string& final_path, std::string& written_path, std::string& place_path) {
    last_failure.clear();
    place_path = final_path;
    const std::wstring wide = to_utf16(final_path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        // What opening for writing would refuse stays refused, although a
        // move could replace it.
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return failed_with_errno(EISDIR);
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return failed_with_errno(EACCES);
    }
    // A device is written as it is: a move would not reach it.
    if (attributes == INVALID_FILE_ATTRIBUTES ? false : !is_disk_file(wide)) {
        written_path = final_path;
        std::FILE* device = _wfopen(wide.c_str(), L"wb");
        return device != nullptr ? device : failed_with_errno(errno);
    }
    if (std::FILE* file = open_temporary(place_path, written_path)) return file;
    written_path = place_path;
    std::FILE* file = _wfopen(wide.c_str(), L"wb");
    return file != nullptr ? file : failed_with_errno(errno);
}

namespace {

// Moves the file over `to`. Windows refuses to replace a file while any
// process holds it open, as another link writing the same output does for a
// moment when it looks at the file before writing it; so a refused move is
// tried again for up to two seconds before it counts as failed. Gives the
// error of the last try, ERROR_SUCCESS once moved.
DWORD move_into_place(const std::wstring& from, const std::wstring& to) {
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0) {
            return ERROR_SUCCESS;
        }
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || attempt == 200) return error;
        Sleep(10);
    }
}

}  // namespace

bool place_staged_file(const std::string& written_path, const std::string& place_path) {
    last_failure.clear();
    if (written_path == place_path) return true;
    const DWORD error = move_into_place(to_utf16(written_path), to_utf16(place_path));
    if (error != ERROR_SUCCESS) {
        last_failure = system_text(error);
        DeleteFileW(to_utf16(written_path).c_str());
    }
    const bool placed = error == ERROR_SUCCESS;
    forget_temporary(written_path);
    return placed;
}

std::string staged_file_error() { return last_failure; }

void remove_written_file(const std::string& path) {
    const std::wstring wide = to_utf16(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
    if (is_disk_file(wide)) DeleteFileW(wide.c_str());
    forget_temporary(path);
}

void remove_staged_temporaries() {
    std::lock_guard<std::mutex> hold(temporaries_lock);
    for (const std::string& path : temporaries) DeleteFileW(to_utf16(path).c_str());
    temporaries.clear();
}

namespace {

// Ctrl+C, Ctrl+Break and closing the console end the process as they would
// have, once the temporaries are gone.
BOOL WINAPI remove_and_end(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    remove_staged_temporaries();
    return FALSE;
}

}  // namespace

void remove_staged_temporaries_on_signals() { SetConsoleCtrlHandler(remove_and_end, TRUE); }

}  // namespace orv
