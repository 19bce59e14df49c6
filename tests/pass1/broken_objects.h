#pragma once
#include <vector>

#include "fixture/object_writer.h"

namespace orv::test {

using orvfixture::ByteWriter;
using orvfixture::Bytes;
using orvfixture::ObjectWriter;

// Relocatable files broken in one place each, with the point that must
// catch them.
struct BrokenFile {
    const char* point;
    const char* what;
    Bytes bytes;
};

inline Bytes object_header_bytes() {
    ObjectWriter w;
    w.header();
    return w.bytes();
}

inline Bytes after_object_header(const ByteWriter& rest) {
    Bytes all = object_header_bytes();
    all.insert(all.end(), rest.bytes().begin(), rest.bytes().end());
    return all;
}

inline std::vector<BrokenFile> broken_files() {
    std::vector<BrokenFile> files;
    files.push_back({"1.5", "first byte not F0", ByteWriter().n1(0xF1).str("VER.A").bytes()});
    files.push_back({"1.5", "empty file", {}});
    files.push_back({"2", "version tag missing", ByteWriter().n1(0xF0).str("VER.A").n1(0xF2).bytes()});
    files.push_back({"3", "file-name tag missing",
                     ByteWriter().n1(0xF0).str("VER.A").n1(0xF1).str("1").n1(0xF0).bytes()});
    files.push_back({"4", "source tag missing",
                     ByteWriter().n1(0xF0).str("VER.A").n1(0xF1).str("1").n1(0xF2).n1(0xF1).bytes()});
    files.push_back({"5", "requested-file tag missing",
                     ByteWriter().n1(0xF0).str("VER.A").n1(0xF1).str("1").n1(0xF2).n1(0xF0).str("s")
                         .n1(0xF2).bytes()});
    files.push_back({"6", "requested-library tag missing",
                     ByteWriter().n1(0xF0).str("VER.A").n1(0xF1).str("1").n1(0xF2).n1(0xF0).str("s")
                         .n1(0xF1).str("").n1(0xF1).bytes()});
    files.push_back({"1", "end of file after the header", object_header_bytes()});
    files.push_back({"1", "unknown record tag", after_object_header(ByteWriter().n1(0xF2))});
    files.push_back({"1", "library tag in an object file", after_object_header(ByteWriter().n1(0xFB))});
    {
        ObjectWriter w;
        w.header().unit_entry(0, {"P"}).unit_entry(2, {"Q"}).end();
        files.push_back({"7", "unit numbers skip one", w.bytes()});
    }
    {
        ObjectWriter w;
        w.header().unit_entry(1, {"P"}).end();
        files.push_back({"7", "a run that does not start at 0", w.bytes()});
    }
    {
        ObjectWriter w;
        w.header().bit_symbols({{0x03, 0x20, "two_bits"}}).end();
        files.push_back({"7.5", "mask with two bits", w.bytes()});
    }
    {
        ObjectWriter w;
        w.header().bit_symbols({{0x100, 0x20, "bit8"}}).end();
        files.push_back({"7.5", "mask above bit 7", w.bytes()});
    }
    {
        ObjectWriter w;
        w.header().bit_symbols({{0, 0, "named"}}).end();
        files.push_back({"7.5", "mask 0 with a name", w.bytes()});
    }
    files.push_back({"9", "end of file inside a unit entry",
                     after_object_header(ByteWriter().n1(0xF3).n2(0).str("P").n1(0).n1(0).n2(0))});
    files.push_back({"9", "end of file inside a label value", after_object_header(ByteWriter().n1(0xF4).n2(0).n2(1))});
    files.push_back({"10", "end of file inside a name", after_object_header(ByteWriter().n1(0xF6).raw({'a', 'b'}))});
    files.push_back({"11", "end of file in the tail of a long name",
                     after_object_header(ByteWriter().n1(0xF6).raw(Bytes(600, 'x')))});
    {
        ObjectWriter w;
        w.header().units({{"P"}}).labels(1, {{0x10, "beyond"}}).end();
        files.push_back({"7.1", "label in a unit the module does not have", w.bytes()});
    }
    return files;
}

}  // namespace orv::test
