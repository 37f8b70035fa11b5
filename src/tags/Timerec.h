// The tag record of one listed file: what the file's own tag held when it was added, as the
// tag editor may have changed it, and what its outputs receive.
#pragma once

#include <string>

#include "tags/TagExtras.h"

struct Timerec {
  std::string title;
  std::string artist;
  std::string year;  // free text
  std::string album;
  std::string comment;
  std::string genre;  // genre name, not a number
  // The track number the tag reader found in this row's own file; empty when none. Kept per
  // row so that every output receives its own source's track.
  std::string track;
  // Every other field and the pictures of the row's source; the tag editor leaves them alone.
  TagExtras extras{};
};

bool operator==(const Timerec& a, const Timerec& b);
inline bool operator!=(const Timerec& a, const Timerec& b) { return !(a == b); }
