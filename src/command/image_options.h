#pragma once
#include <string>

namespace orv {

struct LinkContext;
struct ChecksumRequest;

// Reads --fill, --binary, --srec and --checksum into the image request, once
// the options are known (-BANK sets the address limit). A bad form is error
// 37; a checksum rule that the command alone breaks is its own error. Both
// are command errors, found before any output exists.
void check_image_options(LinkContext& ctx);

// Once the output names are known: the binary and S-record files may not
// take the name of another output file of the link (error 37).
void check_image_file_names(const LinkContext& ctx);

// When a checksum's rules are checked: at the command for the checksums
// whose places are addresses, after placement for those placed at a label.
enum class RuleStage { COMMAND, PLACEMENT };

// Checks the checksum rules that the stage can decide: no checksum lies
// inside its own range, or above the address limit, and no two overlap. At
// the command a broken rule ends the run; after placement it is listed and
// fails the link, which goes on.
void check_checksum_rules(LinkContext& ctx, RuleStage stage);

// A checksum as messages name it: its option value, and where it lies once known.
std::string checksum_description(const LinkContext& ctx, const ChecksumRequest& checksum);

}  // namespace orv
