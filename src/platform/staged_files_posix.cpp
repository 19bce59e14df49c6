#include "platform/staged_files.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace orv {
namespace {

// The temporaries being written, for removal on a signal: each slot holds a
// copy taken with malloc, or null. A run stages a few files (HEX, map, symbol
// file, the reports); a file beyond the slots is staged all the same and only
// misses the clean-up on a signal.
constexpr std::size_t TEMPORARY_SLOTS = 32;
std::atomic<char*> temporaries[TEMPORARY_SLOTS];

// The errno of the last staged open or rename that failed.
int last_failure = 0;

std::FILE* failed(int error) {
    last_failure = error;
    return nullptr;
}

void remember_temporary(const std::string& path) {
    char* copy = static_cast<char*>(std::malloc(path.size() + 1));
    if (copy == nullptr) return;
    std::memcpy(copy, path.c_str(), path.size() + 1);
    for (std::atomic<char*>& slot : temporaries) {
        char* empty = nullptr;
        if (slot.compare_exchange_strong(empty, copy)) return;
    }
    std::free(copy);
}

void forget_temporary(const std::string& path) {
    for (std::atomic<char*>& slot : temporaries) {
        char* held = slot.load();
        if (held != nullptr && path == held && slot.compare_exchange_strong(held, nullptr)) {
            std::free(held);
            return;
        }
    }
}

std::string directory_of(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The mode the file would have got from fopen: that of the file it replaces,
// or read and write for all as the umask allows.
mode_t mode_for(const std::string& final_path) {
    struct stat info;
    if (::stat(final_path.c_str(), &info) == 0) return info.st_mode & 07777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The signals that remove the temporaries.
sigset_t cleaning_signals() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, signal_number);
    return set;
}

std::FILE* open_temporary(const std::string& final_path, std::string& temp_path) {
    std::string base = final_path.substr(directory_of(final_path).size());
    std::string pattern = directory_of(final_path) + "." + base + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    // A signal between the file's creation and its record would leave it.
    const sigset_t blocked = cleaning_signals();
    sigset_t previous;
    ::sigprocmask(SIG_BLOCK, &blocked, &previous);
    int fd = ::mkstemp(name.data());
    if (fd >= 0) remember_temporary(name.data());
    ::sigprocmask(SIG_SETMASK, &previous, nullptr);
    if (fd < 0) return nullptr;
    temp_path = name.data();
    std::FILE* file = ::fchmod(fd, mode_for(final_path)) == 0 ? ::fdopen(fd, "wb") : nullptr;
    if (file == nullptr) {
        ::close(fd);
        ::unlink(temp_path.c_str());
        forget_temporary(temp_path);
    }
    return file;
}

// A device or a named pipe, written where it is. The open does not wait for
// a pipe's reader; once open, writes wait as usual.
std::FILE* open_in_place(const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return failed(errno);
    int flags = ::fcntl(fd, F_GETFL);
    std::FILE* file = flags != -1 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 ? ::fdopen(fd, "wb") : nullptr;
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        return failed(error);
    }
    return file;
}

}  // namespace

std::FILE* open_staged_file(const std::string& final_path, std::string& written_path, std::string& place_path) {
    last_failure = 0;
    place_path = final_path;
    struct stat info;
    if (::stat(final_path.c_str(), &info) == 0) {
        // What fopen would refuse stays refused, although a rename could
        // replace it.
        if (S_ISDIR(info.st_mode)) return failed(EISDIR);
        if (::access(final_path.c_str(), W_OK) != 0) return failed(errno);
        // A device or pipe is written as it is: a rename would replace it.
        if (!S_ISREG(info.st_mode)) {
            written_path = final_path;
            return open_in_place(final_path);
        }
        // A symbolic link keeps pointing at the file, which is replaced.
        if (::lstat(final_path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
            std::unique_ptr<char, decltype(&std::free)> target(::realpath(final_path.c_str(), nullptr), &std::free);
            if (target != nullptr) place_path = target.get();
        }
    }
    if (std::FILE* file = open_temporary(place_path, written_path)) return file;
    written_path = place_path;
    std::FILE* file = std::fopen(place_path.c_str(), "wb");
    return file != nullptr ? file : failed(errno);
}

bool place_staged_file(const std::string& written_path, const std::string& place_path) {
    last_failure = 0;
    if (written_path == place_path) return true;
    const bool placed = std::rename(written_path.c_str(), place_path.c_str()) == 0;
    if (!placed) {
        failed(errno);
        ::unlink(written_path.c_str());
    }
    forget_temporary(written_path);
    return placed;
}

std::string staged_file_error() { return last_failure != 0 ? std::strerror(last_failure) : ""; }

void remove_written_file(const std::string& path) {
    struct stat info;
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(path.c_str());
    forget_temporary(path);
}

void remove_staged_temporaries() {
    for (std::atomic<char*>& slot : temporaries) {
        if (char* path = slot.exchange(nullptr)) ::unlink(path);
    }
}

namespace {

extern "C" void remove_and_resignal(int signal_number) {
    const int saved = errno;
    remove_staged_temporaries();
    ::signal(signal_number, SIG_DFL);
    ::raise(signal_number);
    errno = saved;
}

}  // namespace

void remove_staged_temporaries_on_signals() {
    const sigset_t handled = cleaning_signals();
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        // A signal that the caller's shell ignores (a background job's
        // SIGINT, nohup's SIGHUP) stays ignored.
        if (::sigaction(signal_number, nullptr, &action) == 0 && action.sa_handler == SIG_IGN) continue;
        action = {};
        action.sa_handler = remove_and_resignal;
        action.sa_mask = handled;
        ::sigaction(signal_number, &action, nullptr);
    }
}

}  // namespace orv
