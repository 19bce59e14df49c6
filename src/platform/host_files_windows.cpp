#include "platform/host_files.h"

#include <windows.h>

#include "platform/utf16_windows.h"
#include "platform/whole_file_read.h"

namespace orv {
namespace {

// A handle that closes itself.
struct Handle {
    HANDLE value;
    explicit Handle(HANDLE h) : value(h) {}
    ~Handle() {
        if (value != INVALID_HANDLE_VALUE) CloseHandle(value);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return value != INVALID_HANDLE_VALUE; }
};

// Opens the name for reading only if it is a file on a disk: a directory
// does not open without backup semantics, and a device or pipe is told by
// its file type before anything is read from it.
HANDLE open_disk_file(const std::string& path, DWORD access) {
    HANDLE handle = CreateFileW(to_utf16(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return handle;
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

}  // namespace

// Windows file names ignore letter case and take both separators.
std::string host_path(std::string_view linker_name) { return std::string(linker_name); }

std::FILE* open_host_file(std::string_view linker_name, const char* mode) {
    return _wfopen(to_utf16(linker_name).c_str(), to_utf16(mode).c_str());
}

bool read_host_image(std::string_view linker_name, std::unique_ptr<char[]>& bytes, std::size_t& size) {
    Handle file(open_disk_file(host_path(linker_name), GENERIC_READ));
    if (!file.valid()) return false;
    LARGE_INTEGER length;
    if (!GetFileSizeEx(file.value, &length)) return false;
    return read_to_end(std::size_t(length.QuadPart > 0 ? length.QuadPart : 0),
                       [&file](char* into, std::size_t count) -> long long {
                           constexpr std::size_t MAX_READ = 1u << 30;
                           DWORD got = 0;
                           if (!ReadFile(file.value, into, DWORD(count < MAX_READ ? count : MAX_READ), &got, nullptr)) {
                               return -1;
                           }
                           return got;
                       },
                       bytes, size);
}

bool names_non_regular_file(std::string_view linker_name) {
    const std::wstring path = to_utf16(host_path(linker_name));
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return true;
    // A device name (NUL, CON, COM1) opens without being a file on a disk.
    Handle handle(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle.valid() && GetFileType(handle.value) != FILE_TYPE_DISK;
}

namespace {

// The volume and file index of an existing file or directory; false when it
// cannot be opened or is no file on a disk (a device such as NUL).
bool disk_identity(const std::wstring& path, FileIdentity& identity) {
    Handle handle(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.valid() || GetFileType(handle.value) != FILE_TYPE_DISK) return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle.value, &info)) return false;
    identity.device = info.dwVolumeSerialNumber;
    identity.node = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

}  // namespace

bool host_file_identity(const std::string& path, FileIdentity& identity) {
    identity = {};
    const std::wstring wide = to_utf16(path);
    if (GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) return disk_identity(wide, identity);
    // A file yet to be made: its directory, and its name there in one letter
    // case, since Windows file names ignore case.
    const std::size_t separator = path.find_last_of("\\/:");
    const std::string dir = separator == std::string::npos ? "." : path.substr(0, separator + 1);
    if (!disk_identity(to_utf16(dir), identity)) return false;
    std::string entry = separator == std::string::npos ? path : path.substr(separator + 1);
    for (char& c : entry) {
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    }
    identity.entry = entry;
    return true;
}

}  // namespace orv
