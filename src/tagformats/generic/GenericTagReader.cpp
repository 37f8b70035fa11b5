#include "tagformats/generic/GenericTagReader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <taglib/aifffile.h>
#include <taglib/apetag.h>
#include <taglib/fileref.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/infotag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/tfilestream.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>

#include <algorithm>
#include <cctype>
#include <map>

#include "tagformats/common/TagFieldNames.h"
#include "tagformats/common/TagRecordBuilder.h"
#include "tagformats/generic/GenericPictures.h"

namespace {

void CheckReadable(const std::string& path) {
  struct stat info {};
  // Only regular files: a FIFO would block the read and a device never end.
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || ::access(path.c_str(), R_OK) != 0)
    throw TagError("Cannot open file " + path);
}

// TagLib names most fields as the record does; a described comment or lyrics
// ("COMMENT:NOTE") counts as one more comment or lyrics, other names go through the aliases.
std::string KeyOfProperty(const std::string& name) {
  const std::string base = name.substr(0, name.find(':'));
  if (base == "COMMENT" || base == "LYRICS") return base;
  return KeyFromVorbisName(name);
}

// Names whose meaning depends on the container: MP4's "\xA9too" appears as ENCODEDBY, but
// names the tool that encoded the source, which does not belong to a converted file (an empty
// key drops it); an ID3v2 tag's "TIT1" appears as WORK, but taggers keep the grouping there.
using PropertyRenames = std::map<std::string, std::string>;

void AddProperties(TagRecordBuilder& builder, const TagLib::PropertyMap& properties,
                   const PropertyRenames& renames = {}) {
  for (const auto& [name, values] : properties) {
    std::string key = KeyOfProperty(name.to8Bit(true));
    if (const auto renamed = renames.find(key); renamed != renames.end()) key = renamed->second;
    if (key.empty()) continue;
    for (const TagLib::String& value : values) builder.Add(key, value.to8Bit(true));
  }
}

// The fields of a RIFF INFO list by their chunk ids.
void AddInfoFields(TagRecordBuilder& builder, const TagLib::RIFF::Info::Tag& info) {
  static const std::map<std::string, std::string> kKeys = {
      {"INAM", "TITLE"},    {"IART", "ARTIST"},   {"IPRD", "ALBUM"},     {"ICRD", "DATE"},
      {"ICMT", "COMMENT"},  {"IGNR", "GENRE"},    {"ITRK", "TRACKNUMBER"}, {"IPRT", "TRACKNUMBER"},
      {"ICOP", "COPYRIGHT"}, {"IMUS", "COMPOSER"}, {"IWRI", "LYRICIST"},  {"IBPM", "BPM"},
      {"ILNG", "LANGUAGE"}, {"IPUB", "LABEL"},    {"ISFT", "ENCODING"},  {"IENG", "ENGINEER"}};
  for (const auto& [id, value] : info.fieldListMap()) {
    const std::string chunk(id.data(), id.size());
    if (!std::all_of(chunk.begin(), chunk.end(), [](unsigned char c) { return std::isupper(c) || std::isdigit(c); })) continue;
    const auto found = kKeys.find(chunk);
    builder.Add(found == kKeys.end() ? chunk : found->second, value.to8Bit(true));
  }
}

// MP4 freeform items ("----:com.apple.iTunes:NAME") that TagLib's property map does not name,
// under their own names: ReplayGain, AcoustID and any custom field.
void AddFreeformItems(TagRecordBuilder& builder, const TagLib::MP4::Tag& tag, const TagLib::StringList& unnamed) {
  for (const TagLib::String& item : unnamed) {
    if (!item.startsWith("----:") || !tag.contains(item)) continue;
    const std::string key = KeyFromMp4Name(item.to8Bit(true));
    for (const TagLib::String& value : tag.item(item).toStringList()) builder.Add(key, value.to8Bit(true));
  }
}

void AddFileTags(TagRecordBuilder& builder, TagLib::File& file) {
  auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(&file);
  if (wav != nullptr && !wav->hasID3v2Tag()) {
    if (wav->hasInfoTag()) AddInfoFields(builder, *wav->InfoTag());
    return;
  }
  auto* mp4 = dynamic_cast<TagLib::MP4::File*>(&file);
  const bool id3v2 = wav != nullptr || dynamic_cast<TagLib::RIFF::AIFF::File*>(&file) != nullptr;
  const TagLib::PropertyMap properties = file.properties();
  AddProperties(builder, properties,
                mp4 ? PropertyRenames{{"ENCODEDBY", ""}} : id3v2 ? PropertyRenames{{"WORK", "GROUPING"}} : PropertyRenames{});
  if (mp4 != nullptr && mp4->tag() != nullptr) AddFreeformItems(builder, *mp4->tag(), properties.unsupportedData());
  for (TagPicture& picture : PicturesOf(file)) builder.AddPicture(std::move(picture));
}

}  // namespace

Timerec GenericTagReader::Read(const std::string& path) const {
  CheckReadable(path);
  // Read-only: given a name, TagLib opens a file for writing whenever it may, and closing it
  // then tells whoever watches the folder (library indexers, sync tools) that it was written.
  TagLib::FileStream stream(path.c_str(), true);
  const TagLib::FileRef file(&stream, false);
  if (file.isNull()) return Timerec{};
  TagRecordBuilder builder;
  AddFileTags(builder, *file.file());
  return builder.Finish();
}

std::optional<Timerec> ReadMpegApeTag(const std::string& path) {
  TagLib::FileStream stream(path.c_str(), true);  // read-only, as above
  TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
  if (!file.isValid() || !file.hasAPETag()) return std::nullopt;
  TagRecordBuilder builder;
  AddProperties(builder, file.APETag()->properties());
  for (TagPicture& picture : PicturesOfApeTag(*file.APETag())) builder.AddPicture(std::move(picture));
  return builder.Finish();
}
