#include "base/input_store.h"

#include <new>

#include "base/diagnostics.h"
#include "platform/host_files.h"

namespace orv {

InputStore::InputStore() : loader_(read_host_file) {}

const std::string_view* InputStore::open(std::string_view linker_name) {
    std::string key(linker_name);
    auto found = images_.find(key);
    if (found != images_.end()) return &found->second->bytes;
    auto image = std::make_unique<Image>();
    // An input larger than the memory left cannot be linked, like any
    // other request the heap refuses.
    try {
        if (from_host_) {
            std::size_t size = 0;
            if (!read_host_image(linker_name, image->host_bytes, size)) return nullptr;
            image->bytes = std::string_view(image->host_bytes.get(), size);
        } else {
            if (!loader_(linker_name, image->loaded_bytes)) return nullptr;
            image->bytes = image->loaded_bytes;
        }
    } catch (const std::bad_alloc&) {
        error_exit(ERR_OUT_OF_HEAP);
    }
    ++files_read_;
    bytes_read_ += image->bytes.size();
    return &images_.emplace(std::move(key), std::move(image)).first->second->bytes;
}

std::unique_ptr<TextInput> InputStore::open_text(std::string_view linker_name) {
    if (from_host_) return TextInput::open(linker_name);
    std::string bytes;
    if (!loader_(linker_name, bytes)) return nullptr;
    return TextInput::over_bytes(std::move(bytes));
}

}  // namespace orv
