#include "tagformats/wma/WmaTag.h"

#include "tagformats/wma/WmaModule.h"

#include <cstdlib>

WMATagInfo current_wma_tag;

bool WriteWMATag(const std::string& fileName, const WMATagInfo& record) {
  try {
    WmaModule().Write(fileName, Timerec{record.title, record.artist, record.year, record.album, record.comment,
                                        record.genre, record.track ? std::to_string(record.track) : ""});
    return true;
  } catch (const TagError&) {
    return false;
  }
}

void ReadWMATag(const std::string& fileName, WMATagInfo& out) {
  out = WMATagInfo{};
  try {
    const WmaTags tags = WmaModule().ReadTags(fileName);
    const Timerec& r = tags.record;
    out.found = tags.found ? -1 : 0;
    out.year = r.year;
    out.track = static_cast<uint16_t>(std::atoi(r.track.c_str()));
    out.artist = r.artist;
    out.title = r.title;
    out.album = r.album;
    out.comment = r.comment;
    out.copyright = tags.copyright;
    out.genre = r.genre;
  } catch (const TagError&) {
    // A file that cannot be read gives the empty record.
  }
}
