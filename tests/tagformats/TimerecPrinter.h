// Readable test failures for tag records.
#pragma once

#include <ostream>

#include "tags/Timerec.h"

inline void PrintTo(const Timerec& r, std::ostream* out) {
  *out << "{title \"" << r.title << "\", artist \"" << r.artist << "\", year \"" << r.year << "\", album \""
       << r.album << "\", comment \"" << r.comment << "\", genre \"" << r.genre << "\", track \"" << r.track << "\"";
  for (const auto& [key, value] : r.extras.fields) *out << ", " << key << " \"" << value.substr(0, 80) << "\"";
  for (const TagPicture& p : r.extras.pictures)
    *out << ", picture " << int(p.type) << " " << p.mimeType << " \"" << p.description << "\" " << p.data.size() << " bytes";
  *out << "}";
}
