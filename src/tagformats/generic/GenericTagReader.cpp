#include "tagformats/generic/GenericTagReader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

#include "tagformats/vorbis/VorbisComments.h"

namespace {

void CheckReadable(const std::string& path) {
  struct stat info {};
  // Only regular files: a FIFO would block the read and a device never end.
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || ::access(path.c_str(), R_OK) != 0)
    throw TagError("Cannot open file " + path);
}

// The property map names fields as Vorbis comments do (TITLE, DATE, TRACKNUMBER, …), so the
// record follows the same rules whatever the container.
TStrComments CommentsOf(const TagLib::PropertyMap& properties) {
  TStrComments comments;
  for (const auto& [key, values] : properties) {
    const std::string name = key.to8Bit(true);
    for (const TagLib::String& value : values) comments.push_back(ParseComment(name + "=" + value.to8Bit(true)));
  }
  return comments;
}

}  // namespace

Timerec GenericTagReader::Read(const std::string& path) const {
  CheckReadable(path);
  const TagLib::FileRef file(path.c_str(), false);
  if (file.isNull()) return Timerec{};
  return RecordFromComments(CommentsOf(file.file()->properties()));
}
