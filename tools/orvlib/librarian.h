#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "orvlib/library_file.h"

// The librarian: builds libraries from relocatable objects, lists them and
// takes module images back out.
namespace orvlib {

// One module of a new library: its name and its relocatable image.
struct ModuleInput {
    std::string name;
    Bytes image;
};

// The module name a file gives: its base name without the last extension,
// upper-cased ("obj/putc.rov" gives "PUTC").
std::string module_name_for(const std::string& path);

// Checks that `image` is one complete relocatable module with nothing after
// its end record; throws FormatError.
void check_object(const Bytes& image);

// The library file holding the modules in the given order, each with the
// index of its public names. Every image must have passed check_object.
Bytes create_library(const std::vector<ModuleInput>& modules);

// The listing of `list`: every module with its image size, units, public
// names and external references.
std::string list_library(const std::string& file_name, const LibraryFile& library);

// The entry named `name`: an exact match, else the only one whose name
// differs in letter case alone; null when there is none.
const ModuleEntry* find_module(const LibraryFile& library, const std::string& name);

// Why a module name cannot be the default file name of `extract` (the name
// plus ".ROV" in the current directory), or null: it is empty or a
// directory, or holds a separator, a drive colon, ".." or a control
// character, and would lead elsewhere or hide in a listing.
const char* unsafe_file_name(const std::string& name);

// The module's image as it stands in the library.
Bytes module_image(const Bytes& library_bytes, const ModuleEntry& module);

// The whole command: `create`, `list`, `extract` or `--help`. Returns the
// exit status: 0 done, 1 an input that cannot be read or is damaged or an
// output that cannot be written, 2 wrong usage.
int run_orvlib(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace orvlib
