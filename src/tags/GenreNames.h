// The 148 genre names: the ID3v1 list (0..79) and its widely used extensions (80..147).
#pragma once

#include <cstddef>
#include <string>

constexpr size_t kGenreCount = 148;
extern const char* const genre_names[kGenreCount];

// Turns a genre reference such as "(17)", "17" or "(17)Rock" into its name ("Rock"); any other
// text comes back unchanged.
std::string GenreNameFromReference(const std::string& text);
