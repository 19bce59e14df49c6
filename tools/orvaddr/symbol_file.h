#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The symbol file the linker writes with -S (docs/symbol-file.md), read
// back: the placement of every unit, the functions, the source-line tables
// and the labels. Values are kept as the file gives them.
namespace orvaddr {

struct SymUnit {
    uint32_t number = 0;
    std::string section;
    std::string file;
    std::string member;  // the library module, or empty
    bool absolute = false;
    bool ram = false;
    uint32_t start = 0;
    uint32_t size = 0;
    std::string source;
};

struct SymFunction {
    uint32_t number = 0;
    std::string name;
    uint32_t unit = 0;
    uint32_t start = 0;  // offsets into a relocatable unit, addresses in an absolute one
    uint32_t end = 0;    // the last byte
};

struct SymLine {
    uint32_t function = 0;
    std::size_t file = 0;  // index into SymbolFile::source_files
    uint32_t line = 0;
    uint32_t address = 0;  // as a function's start
};

struct SymLabel {
    std::string name;
    uint32_t value = 0;
    bool global = false;  // a global label's value is its address
    uint32_t unit = 0;    // a local label's unit
};

struct SymbolFile {
    std::vector<SymUnit> units;
    std::vector<SymFunction> functions;
    std::vector<SymLine> lines;
    std::vector<std::string> source_files;
    std::vector<SymLabel> labels;
};

// A text that is not a symbol file: the line and what is wrong there.
class SymbolFileError : public std::runtime_error {
public:
    SymbolFileError(std::size_t line, const std::string& what)
        : std::runtime_error("line " + std::to_string(line) + ": " + what) {}
};

// Reads a symbol file's text; throws SymbolFileError.
SymbolFile read_symbol_file(std::string_view text);

}  // namespace orvaddr
