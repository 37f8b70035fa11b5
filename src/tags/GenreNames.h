// The 148 genre names: the ID3v1 list (0..79) and its widely used extensions (80..147).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

constexpr size_t kGenreCount = 148;
extern const char* const genre_names[kGenreCount];

// Turns a genre reference such as "(17)", "17" or "(17)Rock" into its name ("Rock"); any other
// text comes back unchanged.
std::string GenreNameFromReference(const std::string& text);

// Every genre a text names: "(17)(18)" → "Rock", "Techno"; "(RX)" → "Remix", "(CR)" → "Cover"
// (also bare, as version 2.4 lists them); "(17)Hard Rock" → "Hard Rock", the refinement taking
// the place of the reference it refines; a plain name stays as it is.
std::vector<std::string> GenreNamesFromReference(const std::string& text);
