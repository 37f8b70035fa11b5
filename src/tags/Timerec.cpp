#include "tags/Timerec.h"

bool operator==(const Timerec& a, const Timerec& b) {
  return a.title == b.title && a.artist == b.artist && a.year == b.year && a.album == b.album &&
         a.comment == b.comment && a.genre == b.genre && a.track == b.track &&
         a.extras == b.extras;
}
