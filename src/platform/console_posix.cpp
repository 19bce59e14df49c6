#include "platform/console.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace orv {

const char* const NULL_DEVICE = "/dev/null";

bool fill_closed_standard_descriptors(ClosedOutput closed_output) {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // Opened for reading only, the null device refuses every write (EBADF).
        const int mode = fd > 0 && closed_output == ClosedOutput::fails ? O_RDONLY : O_RDWR;
        // The lowest free descriptor is taken, and every one below fd is open.
        int null_fd = ::open(NULL_DEVICE, mode);
        if (null_fd != fd) {
            if (null_fd >= 0) ::close(null_fd);
            return false;
        }
    }
    return true;
}

}  // namespace orv
