#include "report/report_file.h"

#include "driver/diagnostics.h"
#include "platform/host_files.h"

namespace orv {

ReportFile::ReportFile(const char* name, const OutputCreator& create_file) : file_(create_file(name)) {
    if (file_ == nullptr) error_exit(ERR_CANT_CREATE, name);
}

ReportFile::~ReportFile() {
    if (file_ != nullptr) std::fclose(file_);
}

void ReportFile::write(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) failed_ = true;
}

void ReportFile::close() {
    bool written = !failed_ && !std::ferror(file_);
    if (std::fclose(file_) != 0) written = false;
    file_ = nullptr;
    if (!written) error_exit(ERR_DISK_FULL);
}

}  // namespace orv
