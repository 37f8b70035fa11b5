// Readable test failures for tag records.
#pragma once

#include <ostream>

#include "tags/Timerec.h"

inline void PrintTo(const Timerec& r, std::ostream* out) {
  *out << "{title \"" << r.title << "\", artist \"" << r.artist << "\", year \"" << r.year << "\", album \""
       << r.album << "\", comment \"" << r.comment << "\", genre \"" << r.genre << "\", track \"" << r.track
       << "\"}";
}
