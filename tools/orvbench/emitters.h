#pragma once
#include <string>

#include "orvbench/workload.h"

namespace orvbench {

// The relocatable image of one module: one unit of section P, its labels,
// its references as 16-bit address fields, its bytes.
std::vector<uint8_t> object_image(const Module& module);

// Writes the linker's inputs into `dir`: M00000.ROV, then either every main
// module as an object (M <= MAX_OBJECTS) or the others in MAIN.LIB, and the
// workload's library WORK.LIB. Returns the command line's first two fields.
std::string write_orv_inputs(const Workload& workload, const std::string& dir);

// Assembler sources of every module for the two peer toolchains.
std::string ld65_source(const Module& module);
std::string avr_source(const Module& module);

// Most main modules passed as objects; beyond, one object and a library.
constexpr int MAX_OBJECTS = 253;

}  // namespace orvbench
