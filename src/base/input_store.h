#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/text_input.h"

namespace orv {

// Fills `bytes` with the whole input file the linker names; false when there
// is no such file to read.
using InputLoader = std::function<bool(std::string_view linker_name, std::string& bytes)>;

// The images of a link's input files (relocatable files and libraries). Each
// is read whole the first time the link opens it and kept until the link
// ends: pass 1, every library search cycle and pass 2 read the same bytes,
// and no input is opened or read twice. The loader is the host file system
// unless a test or fuzzer supplies the files itself.
class InputStore {
public:
    InputStore();

    // Replaces the loader; images already read are kept.
    void set_loader(InputLoader loader) {
        loader_ = std::move(loader);
        from_host_ = false;
    }

    // The image of the named file, read on first use; null when the file
    // cannot be opened. The image lives as long as the store.
    const std::string_view* open(std::string_view linker_name);

    // The command file named by the linker, read as text; null when it
    // cannot be opened. On the host it is opened as it is, and may be a pipe;
    // a supplied loader supplies it like any other file. It is not kept.
    std::unique_ptr<TextInput> open_text(std::string_view linker_name);

    // Files read and their bytes, for the statistics.
    std::size_t files_read() const { return files_read_; }
    std::size_t bytes_read() const { return bytes_read_; }

private:
    // An image's bytes: read from the host into a buffer of their own, or
    // filled in by a supplied loader.
    struct Image {
        std::unique_ptr<char[]> host_bytes;
        std::string loaded_bytes;
        std::string_view bytes;
    };

    InputLoader loader_;
    bool from_host_ = true;
    std::unordered_map<std::string, std::unique_ptr<Image>> images_;
    std::size_t files_read_ = 0;
    std::size_t bytes_read_ = 0;
};

}  // namespace orv
