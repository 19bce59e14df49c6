#pragma once
#include <string_view>

namespace orv {

// Whether `candidate` is likely the name that `typed` was meant to be, for
// the "did you mean" hints of --explain: the same letters in another case,
// or one letter off (two for names of six or more letters), ignoring case.
// A name of six or more letters that is the first or last words of a longer
// one, joined by "-", is likely that one too. Names of fewer than three letters are too short to guess from.
bool likely_meant(std::string_view typed, std::string_view candidate);

}  // namespace orv
