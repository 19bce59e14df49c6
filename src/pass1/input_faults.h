#pragma once
#include <optional>
#include <string>

#include "base/explain.h"
#include "format/image_cursor.h"

namespace orv {

struct LinkContext;
class LinkError;

// Where a reader stands in an input. The one place that asks the input
// layer for it.
InputPosition input_position(const ImageCursor& input);

// Marks an input as being read while the object lives. When a fatal error
// unwinds past it, it records (with --explain) where the reader stood, so
// that the error's report can say where the input is damaged; the first
// record of a run is kept. `member` names the library module being read.
class InputInUse {
public:
    InputInUse(LinkContext& ctx, const char* file, const ImageCursor& input,
               const ImageCursor* relocation_input = nullptr, const char* member = nullptr);
    ~InputInUse();
    InputInUse(const InputInUse&) = delete;
    InputInUse& operator=(const InputInUse&) = delete;

private:
    LinkContext& ctx_;
    const char* file_;
    const char* member_;
    const ImageCursor& input_;
    const ImageCursor* relocation_input_;
    int exceptions_ = 0;
};

// For a damaged-input error (6, 7, 30) read from the recorded stopped
// input: the file offset and what the reader expected there. Nothing when
// the error is of another kind or no input was recorded.
std::optional<InputFault> locate_input_fault(const LinkContext& ctx, const LinkError& error);

// A damaged-input error met while reading `input`, as one text: the message
// and where the reader stood, e.g. "Internal error at POINT 35: offset
// 0x000041: expected a debug record tag, or the module's end tag FF".
std::string damaged_input_text(const LinkError& error, const ImageCursor& input);

// The detail line of a located fault, as --explain prints it.
std::string input_fault_text(const InputFault& fault);

// Adds the details of a fatal error before it is reported: where in its
// input a damaged-input error was found (errors 6, 7, 30), or the hint for
// a library given as a relocatable file (error 0).
void explain_fatal(LinkContext& ctx, LinkError& error);

}  // namespace orv
