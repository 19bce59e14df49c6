#pragma once
#include <string>
#include <vector>

namespace orv {

struct LinkContext;

// Fills in the output directory and base name that -O and -F left unset,
// from the first relocatable file.
void set_output_names(LinkContext& ctx);

// One output file: its name as messages show it, the host path it gets, and
// what it is ("the HEX file"), for the lines --explain adds.
struct OutputFileName {
    std::string shown;
    std::string host;
    const char* what;
};

// The output files of this run: the HEX file, then the map file (-M) and the
// symbol file (-S) when wanted. With --output the HEX file's name is taken as
// typed and the others stand beside it. Then the binary image (--binary) and
// the S-record file (--srec), under their names as typed.
std::vector<OutputFileName> output_file_names(const LinkContext& ctx);

// The map or symbol file beside the HEX file --output names: `extension`
// ("MAP" or "SYM") replaces FILE's extension, in lower case when that
// extension is written in lower case.
std::string file_beside(const std::string& file, const char* extension);

// Creates the HEX file, and the map and symbol files when wanted, each under
// a temporary name beside its final one.
void open_output_files(LinkContext& ctx);

// Ends the run's output files: closes those still open, then renames each
// to its final name, or removes it when the run failed (`status` other than
// 0) and --delete-on-error was given. Returns false when a file could not
// be renamed; `failed_name` then holds its final name.
bool settle_output_files(LinkContext& ctx, int status, std::string& failed_name);

// Renames the files created so far to their final names and leaves them
// open; their writing goes on under the final names. Returns false as
// settle_output_files does.
bool place_output_files(LinkContext& ctx, std::string& failed_name);

}  // namespace orv
