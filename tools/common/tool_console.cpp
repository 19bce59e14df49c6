#include "common/tool_console.h"

#include <new>

#include "platform/console.h"
#include "platform/staged_files.h"

namespace orvtool {
namespace {

bool flushed(std::FILE* stream) { return std::fflush(stream) == 0 && std::ferror(stream) == 0; }

}  // namespace

int run_tool(const char* program, const std::function<int()>& command) {
    if (!orv::fill_closed_standard_descriptors(orv::ClosedOutput::fails)) return FAILED;
    orv::remove_staged_temporaries_on_signals();
    int status;
    try {
        status = command();
    } catch (const std::bad_alloc&) {
        orv::remove_staged_temporaries();
        std::fprintf(stderr, "%s: out of memory\n", program);
        status = FAILED;
    }
    orv::remove_staged_temporaries();
    const bool out_written = flushed(stdout);
    if (!out_written) {
        std::fprintf(stderr, "%s: write error on standard output\n", program);
        status = FAILED;
    }
    if (!flushed(stderr)) {
        if (out_written) {
            std::fprintf(stdout, "%s: write error on standard error\n", program);
            std::fflush(stdout);
        }
        status = FAILED;
    }
    return status;
}

}  // namespace orvtool
