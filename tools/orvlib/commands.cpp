#include <cstdio>
#include <map>

#include "orvlib/librarian.h"

namespace orvlib {
namespace {

const char* const USAGE =
    "usage: orvlib create OUT.LIB A.ROV [B.ROV ...]   build a library; each module is named\n"
    "                                                 after its file (a.rov gives A)\n"
    "       orvlib list LIB                           list the modules: image size, units,\n"
    "                                                 public names, external references\n"
    "       orvlib extract LIB MODULE [-o OUT.ROV]    write a module's image back out\n"
    "                                                 (to MODULE.ROV unless -o is given)\n"
    "       orvlib --help | --version\n"
    "exit status: 0 done, 1 an input could not be read or is damaged, or an output could\n"
    "not be written, 2 wrong usage\n";

constexpr int DONE = 0, FAILED = 1, USAGE_ERROR = 2;

// Reads a whole file; false when it cannot be opened or read (a directory too).
bool read_file(const std::string& path, Bytes& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    bytes.clear();
    unsigned char buffer[65536];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + count);
    bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

bool write_file(const std::string& path, const Bytes& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

class Commands {
public:
    Commands(std::FILE* out, std::FILE* err) : out_(out), err_(err) {}

    int usage_error() {
        std::fputs(USAGE, err_);
        return USAGE_ERROR;
    }

    int help() {
        std::fputs(USAGE, out_);
        return DONE;
    }

    int version() {
        std::fputs("orvlib " ORV_VERSION_TEXT "\n", out_);
        return DONE;
    }

    int create(const std::string& output, const std::vector<std::string>& inputs) {
        std::vector<ModuleInput> modules;
        std::map<std::string, std::string> file_of_name;
        for (const std::string& path : inputs) {
            ModuleInput module{module_name_for(path), {}};
            if (!read_file(path, module.image)) return cannot("read", path);
            try {
                check_object(module.image);
            } catch (const FormatError& error) {
                return damaged(path + ": not a relocatable object", error);
            }
            auto [earlier, fresh] = file_of_name.emplace(module.name, path);
            if (!fresh) {
                std::fprintf(err_, "orvlib: %s and %s both give the module name %s\n", earlier->second.c_str(),
                             path.c_str(), module.name.c_str());
                return FAILED;
            }
            modules.push_back(std::move(module));
        }
        Bytes library = create_library(modules);
        // The new library is read back as `list` would read it before it is
        // written; it cannot fail unless the writer itself is at fault.
        LibraryFile written;
        try {
            written = read_library_file(library);
        } catch (const FormatError& error) {
            return damaged(output + " as built", error);
        }
        if (!write_file(output, library)) return cannot("write", output);
        // Such a module is stored, but no search ever takes it in.
        for (const ModuleEntry& module : written.modules) {
            if (module.publics.empty()) {
                std::fprintf(err_, "orvlib: warning: module %s defines no public name, so the linker never takes it in\n",
                             module.name.c_str());
            }
        }
        return DONE;
    }

    int list(const std::string& path) {
        Bytes bytes;
        LibraryFile library;
        if (int status = read_library(path, bytes, library); status != DONE) return status;
        std::fputs(list_library(path, library).c_str(), out_);
        return DONE;
    }

    int extract(const std::string& path, const std::string& name, const std::string* output) {
        Bytes bytes;
        LibraryFile library;
        if (int status = read_library(path, bytes, library); status != DONE) return status;
        const ModuleEntry* module = find_module(library, name);
        if (module == nullptr) {
            std::fprintf(err_, "orvlib: %s has no module %s\n", path.c_str(), name.c_str());
            return FAILED;
        }
        std::string target = output != nullptr ? *output : module->name + ".ROV";
        if (!write_file(target, module_image(bytes, *module))) return cannot("write", target);
        return DONE;
    }

private:
    int read_library(const std::string& path, Bytes& bytes, LibraryFile& library) {
        if (!read_file(path, bytes)) return cannot("read", path);
        try {
            library = read_library_file(bytes);
        } catch (const FormatError& error) {
            return damaged(path, error);
        }
        return DONE;
    }

    int cannot(const char* what, const std::string& path) {
        std::fprintf(err_, "orvlib: cannot %s %s\n", what, path.c_str());
        return FAILED;
    }

    int damaged(const std::string& where, const FormatError& error) {
        std::fprintf(err_, "orvlib: %s: at offset 0x%04lX: %s\n", where.c_str(), (unsigned long)error.offset(),
                     error.what());
        return FAILED;
    }

    std::FILE* out_;
    std::FILE* err_;
};

}  // namespace

int run_orvlib(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    Commands commands(out, err);
    std::size_t count = args.size();
    if (count == 1 && args[0] == "--help") return commands.help();
    if (count == 1 && args[0] == "--version") return commands.version();
    if (count >= 3 && args[0] == "create") {
        return commands.create(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
    }
    if (count == 2 && args[0] == "list") return commands.list(args[1]);
    if (args.size() >= 3 && args[0] == "extract") {
        if (count == 3) return commands.extract(args[1], args[2], nullptr);
        if (count == 5 && args[3] == "-o") return commands.extract(args[1], args[2], &args[4]);
    }
    return commands.usage_error();
}

}  // namespace orvlib
