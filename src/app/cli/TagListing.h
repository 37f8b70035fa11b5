// What `velmora-convert --tags` prints: every field a file's tags hold as the program reads
// them, one line per field under the file's name, so a user sees what a conversion carries.
#pragma once

#include <string>

#include "tags/Timerec.h"

// The lines for one record: "  KEY: "value", "value"" per field (the seven fields first, under
// their neutral names), one "  PICTURE: …" line per picture. Values are quoted, with line
// breaks, quotes and backslashes escaped, so every field stays on one line.
std::string TagListing(const Timerec& record);
