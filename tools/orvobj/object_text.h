#pragma once
#include <stdexcept>
#include <string>

#include "fixture/object_writer.h"

// The text form of a relocatable object: one record per line, its entries on
// the indented lines below it. Bytes that do not form a known record are kept
// as `bytes` lines, so every file survives a dump and a build unchanged.
namespace orvobj {

using orvfixture::Bytes;

// An error in a text form, with the line it was found on.
class TextError : public std::runtime_error {
public:
    TextError(int line, const std::string& message)
        : std::runtime_error(message), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

// The text form of an object's bytes. With `offsets`, each record's line ends
// in a comment giving its file offset.
std::string dump_object(const Bytes& bytes, bool offsets = false);

// The bytes of an object's text form; throws TextError.
Bytes build_object(const std::string& text);

}  // namespace orvobj
