// The texts the file list shows for a file's size and playing time.
#pragma once

#include <cstdint>
#include <string>

// Megabytes, at most five significant digits, two decimals, suffix "MB": 3620000 → "3.45MB".
// From 100000 MB on the value comes out in exponent notation.
std::string SizeText(uint64_t bytes);

// Hours, minutes and seconds, each at least two digits: 3723456 ms → "01:02:03".
std::string TimeText(int64_t milliseconds);
