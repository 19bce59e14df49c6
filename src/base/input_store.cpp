#include "base/input_store.h"

#include <new>

#include "base/diagnostics.h"
#include "platform/host_files.h"

namespace orv {

InputStore::InputStore() : loader_(read_host_file) {}

const std::string* InputStore::open(std::string_view linker_name) {
    std::string key(linker_name);
    auto found = images_.find(key);
    if (found != images_.end()) return found->second.get();
    auto image = std::make_unique<std::string>();
    // An input larger than the memory left cannot be linked, like any
    // other request the heap refuses.
    try {
        if (!loader_(linker_name, *image)) return nullptr;
    } catch (const std::bad_alloc&) {
        error_exit(ERR_OUT_OF_HEAP);
    }
    ++files_read_;
    bytes_read_ += image->size();
    return images_.emplace(std::move(key), std::move(image)).first->second.get();
}

std::unique_ptr<TextInput> InputStore::open_text(std::string_view linker_name) {
    if (from_host_) return TextInput::open(linker_name);
    std::string bytes;
    if (!loader_(linker_name, bytes)) return nullptr;
    return TextInput::over_bytes(std::move(bytes));
}

}  // namespace orv
