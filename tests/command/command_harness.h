#pragma once
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "command/banner.h"
#include "command/command_input.h"
#include "platform/memory_stream.h"
#include "support/run_linker.h"

namespace orv::test {

inline const std::string BANNER =
    "Orvan Family LINKER V.4.00.00 \n"
    "Copyright (C) 2026 Orvlink developers. All rights reserved.\n"
    "Linker for the Orvan family of 8-bit microcontrollers.\n"
    "\n";

inline const std::string PROMPT[4] = {"Relocatable files (.ROV) >> ", "Libraries         (.LIB) >> ",
                                      "Section information      >> ", "Command parameter        >> "};

// Command input run in process: `get_command` on a link context whose console
// reads `input` and keeps what it writes to standard error.
class CommandHarness {
public:
    explicit CommandHarness(const std::string& input)
        : in_(std::tmpfile()), out_(std::tmpfile()), ctx(Console{in_, out_, err_.file()}) {
        std::fwrite(input.data(), 1, input.size(), in_);
        std::rewind(in_);
        init_linker(ctx);
    }
    ~CommandHarness() {
        for (std::FILE* stream : {in_, out_}) std::fclose(stream);
    }
    CommandHarness(const CommandHarness&) = delete;
    CommandHarness& operator=(const CommandHarness&) = delete;

    // The fatal error that command input ends with, if any.
    std::optional<LinkError> get_command(const std::vector<std::string>& args) {
        try {
            orv::get_command(ctx, args);
        } catch (const LinkError& error) {
            return error;
        }
        return std::nullopt;
    }
    std::string err() { return err_.text(); }

private:
    std::FILE* in_;
    std::FILE* out_;
    MemoryStream err_;

public:
    LinkContext ctx;
};

}  // namespace orv::test
