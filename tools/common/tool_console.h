#pragma once
#include <cstdio>
#include <functional>
#include <string>

#include "platform/console_text.h"

// The console rules the tools share with the linker: closed standard
// descriptors are filled before anything is opened (a write to a closed
// standard output or error then fails: the listing or dump that is a tool's
// product must not be lost with status 0), a write error on either
// stream is found at the end and turns the status into a failure with a
// message, running out of memory is a message and a failure, and every text
// taken from a file is escaped before it reaches the terminal.
namespace orvtool {

using orv::console_text;

constexpr int FAILED = 1;

// Runs `command` (which returns the exit status) under these rules, for the
// program `program` ("orvobj", "orvlib").
int run_tool(const char* program, const std::function<int()>& command);

}  // namespace orvtool
