// Colours in skin files are written "#rrggbb", nothing else, so a typo cannot pass as a name.
#pragma once

#include <cctype>
#include <string>

inline bool IsSkinColour(const std::string& text) {
  if (text.size() != 7 || text[0] != '#') return false;
  for (size_t i = 1; i < text.size(); ++i)
    if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  return true;
}
