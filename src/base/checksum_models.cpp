#include "base/checksum_models.h"

#include <vector>

#include "base/text_helpers.h"

namespace orv {
namespace {

struct NamedModel {
    const char* name;
    ChecksumModel model;
};

constexpr ChecksumModel crc(int width, uint32_t poly, uint32_t init, bool refin, bool refout, uint32_t xorout) {
    return ChecksumModel{ChecksumModel::Kind::CRC, width, poly, init, refin, refout, xorout, false};
}

constexpr ChecksumModel sum(int width, bool negate) {
    return ChecksumModel{ChecksumModel::Kind::SUM, width, 0, 0, false, false, 0, negate};
}

// The standard models by their usual names; a second name of the same
// model follows it.
const NamedModel NAMED_MODELS[] = {
    {"crc8", crc(8, 0x07, 0x00, false, false, 0x00)},
    {"crc8-smbus", crc(8, 0x07, 0x00, false, false, 0x00)},
    {"crc16-ibm-3740", crc(16, 0x1021, 0xFFFF, false, false, 0x0000)},
    {"crc16-ccitt-false", crc(16, 0x1021, 0xFFFF, false, false, 0x0000)},
    {"crc16-xmodem", crc(16, 0x1021, 0x0000, false, false, 0x0000)},
    {"crc16-kermit", crc(16, 0x1021, 0x0000, true, true, 0x0000)},
    {"crc16-ibm-sdlc", crc(16, 0x1021, 0xFFFF, true, true, 0xFFFF)},
    {"crc16-x25", crc(16, 0x1021, 0xFFFF, true, true, 0xFFFF)},
    {"crc16-spi-fujitsu", crc(16, 0x1021, 0x1D0F, false, false, 0x0000)},
    {"crc16-aug-ccitt", crc(16, 0x1021, 0x1D0F, false, false, 0x0000)},
    {"crc16-arc", crc(16, 0x8005, 0x0000, true, true, 0x0000)},
    {"crc16-modbus", crc(16, 0x8005, 0xFFFF, true, true, 0x0000)},
    {"crc32", crc(32, 0x04C11DB7, 0xFFFFFFFF, true, true, 0xFFFFFFFF)},
    {"crc32-iso-hdlc", crc(32, 0x04C11DB7, 0xFFFFFFFF, true, true, 0xFFFFFFFF)},
    {"crc32-bzip2", crc(32, 0x04C11DB7, 0xFFFFFFFF, false, false, 0xFFFFFFFF)},
    {"crc32-mpeg2", crc(32, 0x04C11DB7, 0xFFFFFFFF, false, false, 0x00000000)},
    {"crc32c", crc(32, 0x1EDC6F41, 0xFFFFFFFF, true, true, 0xFFFFFFFF)},
    {"crc32-iscsi", crc(32, 0x1EDC6F41, 0xFFFFFFFF, true, true, 0xFFFFFFFF)},
    {"sum8", sum(8, false)},
    {"sum16", sum(16, false)},
    {"sum8-neg", sum(8, true)},
    {"sum16-neg", sum(16, true)},
};

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (to_upper_ascii(a[i]) != to_upper_ascii(b[i])) return false;
    }
    return true;
}

uint32_t reflect(uint32_t value, int width) {
    uint32_t result = 0;
    for (int i = 0; i < width; ++i) {
        result = (result << 1) | (value & 1u);
        value >>= 1;
    }
    return result;
}

std::optional<bool> truth(std::string_view text) {
    if (same_name(text, "true")) return true;
    if (same_name(text, "false")) return false;
    return std::nullopt;
}

}  // namespace

std::optional<ChecksumModel> find_checksum_model(std::string_view name) {
    for (const NamedModel& entry : NAMED_MODELS) {
        if (same_name(name, entry.name)) return entry.model;
    }
    return std::nullopt;
}

std::string checksum_model_names() {
    std::string names;
    for (const NamedModel& entry : NAMED_MODELS) {
        if (!names.empty()) names += ' ';
        names += entry.name;
    }
    return names;
}

std::optional<ChecksumModel> parse_crc_parameters(std::string_view text, std::string& reason) {
    std::vector<std::string_view> fields;
    for (std::size_t colon; (colon = text.find(':')) != std::string_view::npos; text.remove_prefix(colon + 1)) {
        fields.push_back(text.substr(0, colon));
    }
    fields.push_back(text);
    if (fields.size() != 7 || !same_name(fields[0], "crc")) {
        reason = "write crc:WIDTH:POLY:INIT:REFIN:REFOUT:XOROUT";
        return std::nullopt;
    }
    int width = 0;
    for (char c : fields[1]) {
        if (c < '0' || c > '9' || width > 32) {
            width = -1;
            break;
        }
        width = width * 10 + (c - '0');
    }
    if (fields[1].empty() || width < 8 || width > 32) {
        reason = "WIDTH must be a decimal number from 8 to 32";
        return std::nullopt;
    }
    ChecksumModel model = crc(width, 0, 0, false, false, 0);
    const char* const names[] = {"POLY", "INIT", "XOROUT"};
    uint32_t* const values[] = {&model.poly, &model.init, &model.xorout};
    const std::string_view texts[] = {fields[2], fields[3], fields[6]};
    for (int i = 0; i < 3; ++i) {
        std::optional<uint32_t> value = parse_hex_value(texts[i]);
        if (!value || (*value & ~model.mask()) != 0) {
            reason = std::string(names[i]) + " must be hexadecimal and fit in " + std::to_string(width) + " bits";
            return std::nullopt;
        }
        *values[i] = *value;
    }
    std::optional<bool> refin = truth(fields[4]);
    std::optional<bool> refout = truth(fields[5]);
    if (!refin || !refout) {
        reason = "REFIN and REFOUT must be true or false";
        return std::nullopt;
    }
    model.refin = *refin;
    model.refout = *refout;
    return model;
}

ChecksumEngine::ChecksumEngine(const ChecksumModel& model) : model_(model) {
    if (model.kind == ChecksumModel::Kind::SUM) {
        state_ = 0;
        return;
    }
    const int width = model.width;
    const uint32_t mask = model.mask();
    if (model.refin) {
        // Reflected input: the register runs bit-reversed, so that every
        // byte enters at its low end as it comes.
        const uint32_t poly = reflect(model.poly, width);
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int bit = 0; bit < 8; ++bit) c = (c & 1u) ? (c >> 1) ^ poly : c >> 1;
            table_[i] = c;
        }
        state_ = reflect(model.init, width);
    } else {
        const uint32_t top = uint32_t(1) << (width - 1);
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i << (width - 8);
            for (int bit = 0; bit < 8; ++bit) c = ((c & top) ? (c << 1) ^ model.poly : c << 1) & mask;
            table_[i] = c;
        }
        state_ = model.init;
    }
}

void ChecksumEngine::add(const uint8_t* bytes, std::size_t count) {
    uint32_t state = state_;
    if (model_.kind == ChecksumModel::Kind::SUM) {
        for (std::size_t i = 0; i < count; ++i) state += bytes[i];
    } else if (model_.refin) {
        for (std::size_t i = 0; i < count; ++i) state = (state >> 8) ^ table_[(state ^ bytes[i]) & 0xFFu];
    } else {
        const int shift = model_.width - 8;
        const uint32_t mask = model_.mask();
        for (std::size_t i = 0; i < count; ++i) {
            state = ((state << 8) ^ table_[((state >> shift) ^ bytes[i]) & 0xFFu]) & mask;
        }
    }
    state_ = state;
}

uint32_t ChecksumEngine::value() const {
    const uint32_t mask = model_.mask();
    if (model_.kind == ChecksumModel::Kind::SUM) return (model_.negate ? 0u - state_ : state_) & mask;
    // The register holds the bits reversed exactly when the input was.
    const uint32_t out = model_.refin == model_.refout ? state_ : reflect(state_, model_.width);
    return (out ^ model_.xorout) & mask;
}

uint32_t compute_checksum(const ChecksumModel& model, const uint8_t* bytes, std::size_t count) {
    ChecksumEngine engine(model);
    engine.add(bytes, count);
    return engine.value();
}

}  // namespace orv
