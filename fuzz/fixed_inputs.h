#pragma once
#include <string>

// The valid inputs that the fuzzed ones are linked with, built by the test
// fixture writers. MAIN.ROV calls putc, which FIX.LIB defines.
namespace orvfuzz {

// MAIN.ROV: units of three sections, names of every kind, a reference to
// putc and debug records of every kind.
std::string fixed_main_object();

// The pass-1 part of MAIN.ROV, up to its first relocation record.
std::string fixed_main_pass1();

// The pass-2 part of MAIN.ROV: relocation, contents and debug records and
// the end record.
std::string fixed_main_pass2();

// SUB.ROV: a second small module, as the fuzzed object's stand-in in seeds.
std::string fixed_sub_object();

// FIX.LIB: PUTC, which MAIN needs and which needs GETC, and GETC.
std::string fixed_library();

}  // namespace orvfuzz
