#include "orvbench/emitters.h"

#include <cstdio>
#include <fstream>
#include <set>
#include <stdexcept>

#include "fixture/library_writer.h"
#include "fixture/object_writer.h"

namespace orvbench {
namespace {

std::string upper(std::string text) {
    for (char& c : text) c = char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return text;
}

// Each name once, in order of first use.
std::vector<std::string> first_uses(const std::vector<std::string>& names) {
    std::vector<std::string> once;
    std::set<std::string> seen;
    for (const std::string& name : names) {
        if (seen.insert(name).second) once.push_back(name);
    }
    return once;
}

void save(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string list_line(const char* directive, const std::vector<std::string>& names, std::size_t from,
                      std::size_t count) {
    std::string line = directive;
    for (std::size_t i = from; i < from + count && i < names.size(); ++i) line += (i == from ? " " : ", ") + names[i];
    return line + "\n";
}

// Sources for both peers differ only in their directives and number syntax.
struct Dialect {
    const char* preamble;
    const char* exports;
    const char* imports;
    const char* code;
    const char* byte_format;
};

std::string source(const Module& m, const Dialect& dialect) {
    std::string text = "; module " + m.file + "\n" + dialect.preamble;
    const std::vector<std::string> imports = first_uses(m.refs);
    for (std::size_t i = 0; i < m.labels.size(); i += 8) text += list_line(dialect.exports, m.labels, i, 8);
    for (std::size_t i = 0; i < imports.size(); i += 8) text += list_line(dialect.imports, imports, i, 8);
    text += dialect.code;
    for (const Item& item : m.layout()) {
        if (item.kind == Item::LABEL) {
            text += item.name + ":\n";
        } else if (item.kind == Item::REF) {
            text += "        .word " + item.name + "\n";
        } else {
            for (std::size_t i = 0; i < item.bytes.size(); i += 16) {
                text += "        .byte ";
                for (std::size_t x = i; x < i + 16 && x < item.bytes.size(); ++x) {
                    char byte[8];
                    std::snprintf(byte, sizeof byte, dialect.byte_format, unsigned(item.bytes[x]));
                    text += (x == i ? "" : ",") + std::string(byte);
                }
                text += "\n";
            }
        }
    }
    return text;
}

}  // namespace

std::vector<uint8_t> object_image(const Module& m) {
    using namespace orvfixture;
    ObjectWriter w;
    w.header(m.file + ".asm", "1.00");
    w.units({{"P", 0, 0, 0, uint32_t(m.size)}});
    std::vector<LabelSpec> labels;
    std::vector<RelocSpec> fields;
    Bytes body;
    for (const Item& item : m.layout()) {
        if (item.kind == Item::LABEL) {
            labels.push_back({uint32_t(body.size()), item.name});
        } else if (item.kind == Item::REF) {
            fields.push_back({uint32_t(body.size()), REL_ADDRESS, 2, Expr(constant_term(0), name_term(item.name))});
            body.push_back(0);
            body.push_back(0);
        } else {
            body.insert(body.end(), item.bytes.begin(), item.bytes.end());
        }
    }
    w.labels(0, labels);
    if (!m.refs.empty()) w.externals(first_uses(m.refs));
    if (!fields.empty()) w.relocation(0, fields);
    w.contents(0, {{0, body}});
    w.end();
    return w.bytes();
}

std::string write_orv_inputs(const Workload& w, const std::string& dir) {
    using namespace orvfixture;
    std::string objects;
    const bool as_objects = int(w.main.size()) <= MAX_OBJECTS;
    LibraryWriter main_lib;
    for (std::size_t i = 0; i < w.main.size(); ++i) {
        const std::string name = upper(w.main[i].file);
        if (i == 0 || as_objects) {
            save(dir + "/" + name + ".ROV", object_image(w.main[i]));
            objects += (i == 0 ? "" : " ") + name;
        } else {
            main_lib.add(name, object_image(w.main[i]));
        }
    }
    std::string libraries;
    if (!as_objects) {
        save(dir + "/MAIN.LIB", main_lib.bytes());
        libraries = "MAIN ";
    }
    LibraryWriter work;
    for (const Module& m : w.library) work.add(upper(m.file), object_image(m));
    save(dir + "/WORK.LIB", work.bytes());
    return objects + "," + libraries + "WORK";
}

std::string ld65_source(const Module& m) {
    return source(m, {"", "        .export", "        .import", "        .segment \"CODE\"\n", "$%02X"});
}

std::string avr_source(const Module& m) {
    return source(m, {"        .section .text\n", "        .global", "        .extern", "", "0x%02x"});
}

}  // namespace orvbench
