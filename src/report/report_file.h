#pragma once
#include <cstdio>
#include <string_view>

namespace orv {

struct OutputState;

// A report file under the name given with its option, written in pieces as
// the report is made and renamed into place when the run ends. A file that
// cannot be created is error 15; closing it is error 18 when any of its data
// did not reach the disk.
class ReportFile {
public:
    // Created through the link's output creator, staged on the host.
    ReportFile(const char* name, OutputState& output);
    ~ReportFile();
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    void write(std::string_view text);
    void close();

private:
    std::FILE* file_;
    bool failed_ = false;
};

}  // namespace orv
