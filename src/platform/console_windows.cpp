#include "platform/console.h"

#include <fcntl.h>
#include <io.h>

namespace orv {

const char* const NULL_DEVICE = "NUL";

// A stream whose handle was closed when the process started (or that never
// had one, as in a program started without a console) has no usable
// descriptor: it is reopened onto NUL, which takes every write, or, where
// writes to it must fail, for reading only.
bool fill_closed_standard_descriptors(ClosedOutput closed_output) {
    struct Standard {
        std::FILE* stream;
        const char* mode;
    };
    const char* const output_mode = closed_output == ClosedOutput::fails ? "rb" : "wb";
    const Standard standard[] = {{stdin, "rb"}, {stdout, output_mode}, {stderr, output_mode}};
    for (const Standard& s : standard) {
        int fd = _fileno(s.stream);
        if (fd < 0 || _get_osfhandle(fd) < 0) {
            if (std::freopen(NULL_DEVICE, s.mode, s.stream) == nullptr) return false;
            fd = _fileno(s.stream);
        }
        if (_setmode(fd, _O_BINARY) == -1) return false;
    }
    return true;
}

}  // namespace orv
