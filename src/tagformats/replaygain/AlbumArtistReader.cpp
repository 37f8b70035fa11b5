#include "tagformats/replaygain/AlbumArtistReader.h"

#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

std::string ReadAlbumArtist(const std::string& path) {
  const TagLib::FileRef file(path.c_str(), false);
  if (file.isNull() || !file.file()) return "";
  const TagLib::PropertyMap properties = file.file()->properties();
  const auto found = properties.find("ALBUMARTIST");
  if (found == properties.end() || found->second.isEmpty()) return "";
  return found->second.front().to8Bit(true);
}
