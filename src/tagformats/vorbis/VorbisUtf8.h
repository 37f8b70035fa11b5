// Comment texts come from files and may be any bytes; the program only handles valid UTF-8.
#pragma once

#include <string>
#include <string_view>

// Returns `text` with every ill-formed UTF-8 sequence (stray continuation bytes, overlong forms,
// surrogates, code points above U+10FFFF, cut-off sequences) replaced by U+FFFD.
std::string RepairUtf8(std::string_view text);
