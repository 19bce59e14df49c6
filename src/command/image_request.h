#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/checksum_models.h"
#include "base/findings.h"

namespace orv {

// An address range of the target, both ends inclusive.
struct AddressRange {
    int64_t start = 0;
    int64_t end = -1;

    bool holds(int64_t address) const { return address >= start && address <= end; }
    bool meets(const AddressRange& other) const { return start <= other.end && other.start <= end; }
};

// One --checksum: a model's value over a range, stored at a place.
struct ChecksumRequest {
    std::string text;        // as typed after "--checksum="
    std::string model_name;  // as typed before "@"
    ChecksumModel model;
    AddressRange range;
    std::string place_label;  // empty when the place is an address
    int64_t place = -1;       // the first byte's address; for a label, known after placement
    bool big_endian = false;  // ":be": high byte first
    FindingPlace label_place;  // for a label, the byte it names, once placed

    bool placed() const { return place >= 0; }
    AddressRange bytes() const { return {place, place + model.value_bytes() - 1}; }
};

// What the image options ask for, checked against the command.
struct ImageRequest {
    bool fill = false;        // --fill given
    uint8_t fill_value = 0xFF;
    bool fill_ranged = false;  // else from the lowest to the highest byte written
    AddressRange fill_range;
    std::string binary_file;  // --binary: empty when not asked for
    bool binary_ranged = false;
    AddressRange binary_range;
    std::string srec_file;    // --srec
    std::vector<ChecksumRequest> checksums;  // in the order given, which is the order of computing

    // The image is kept beside the HEX stream only when an output needs it.
    bool wanted() const { return fill || !binary_file.empty() || !srec_file.empty() || !checksums.empty(); }
};

}  // namespace orv
