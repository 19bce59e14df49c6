#include "report/report_file.h"

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "platform/host_files.h"

namespace orv {

ReportFile::ReportFile(const char* name, OutputState& output) : file_(output.create_report(name)) {
    if (file_ == nullptr) cant_create_exit(name, output.report_error());
    // Reports hand over large blocks of their own; a stdio buffer would only
    // copy them once more. (Only for host files: a memory stream of a test
    // or fuzzer must keep its buffer.)
    if (!output.create_file) std::setvbuf(file_, nullptr, _IONBF, 0);
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
