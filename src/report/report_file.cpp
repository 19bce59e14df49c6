#include "report/report_file.h"

#include <cstdio>

#include "driver/diagnostics.h"
#include "platform/host_files.h"

namespace orv {

void write_report_file(const char* name, const std::string& text) {
    std::FILE* file = open_host_file(name, "wb");
    if (file == nullptr) error_exit(ERR_CANT_CREATE, name);
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0) written = false;
    if (!written) error_exit(ERR_DISK_FULL);
}

}  // namespace orv
