#include "tagformats/common/TagFieldNames.h"

#include <map>
#include <string_view>
#include <unordered_map>

namespace {

std::vector<TagFieldName> BuildTable() {
  // clang-format off
  return {
      {"TITLE", "TIT2", "TITLE", "Title", "\xC2\xA9nam"},
      {"ARTIST", "TPE1", "ARTIST", "Author", "\xC2\xA9" "ART"},
      {"ALBUM", "TALB", "ALBUM", "WM/AlbumTitle", "\xC2\xA9" "alb"},
      {"DATE", "TYER", "DATE", "WM/Year", "\xC2\xA9" "day"},
      {"COMMENT", "COMM", "COMMENT", "Description", "\xC2\xA9" "cmt"},
      {"GENRE", "TCON", "GENRE", "WM/Genre", "\xC2\xA9" "gen"},
      {"TRACKNUMBER", "TRCK", "TRACKNUMBER", "WM/TrackNumber", "trkn"},
      {"TRACKTOTAL", "TRCK", "TRACKTOTAL", "WM/TrackNumber", "trkn"},
      {"DISCNUMBER", "TPOS", "DISCNUMBER", "WM/PartOfSet", "disk"},
      {"DISCTOTAL", "TPOS", "DISCTOTAL", "WM/PartOfSet", "disk"},
      {"ALBUMARTIST", "TPE2", "ALBUMARTIST", "WM/AlbumArtist", "aART"},
      {"ORIGINALDATE", "TORY", "ORIGINALDATE", "WM/OriginalReleaseTime", ""},
      {"COMPOSER", "TCOM", "COMPOSER", "WM/Composer", "\xC2\xA9wrt"},
      {"LYRICIST", "TEXT", "LYRICIST", "WM/Writer", "----:com.apple.iTunes:LYRICIST"},
      {"CONDUCTOR", "TPE3", "CONDUCTOR", "WM/Conductor", "----:com.apple.iTunes:CONDUCTOR"},
      {"REMIXER", "TPE4", "REMIXER", "WM/ModifiedBy", "----:com.apple.iTunes:REMIXER"},
      {"LYRICS", "USLT", "LYRICS", "WM/Lyrics", "\xC2\xA9lyr"},
      {"BPM", "TBPM", "BPM", "WM/BeatsPerMinute", "tmpo"},
      {"COPYRIGHT", "TCOP", "COPYRIGHT", "Copyright", "cprt"},
      {"LABEL", "TPUB", "LABEL", "WM/Publisher", "----:com.apple.iTunes:LABEL"},
      {"ISRC", "TSRC", "ISRC", "WM/ISRC", "----:com.apple.iTunes:ISRC"},
      {"COMPILATION", "TCMP", "COMPILATION", "WM/IsCompilation", "cpil"},
      {"GROUPING", "TIT1", "GROUPING", "WM/ContentGroupDescription", "\xC2\xA9grp"},
      {"SUBTITLE", "TIT3", "SUBTITLE", "WM/SubTitle", "----:com.apple.iTunes:SUBTITLE"},
      {"ARTISTSORT", "TSOP", "ARTISTSORT", "WM/ArtistSortOrder", "soar"},
      {"ALBUMSORT", "TSOA", "ALBUMSORT", "WM/AlbumSortOrder", "soal"},
      {"TITLESORT", "TSOT", "TITLESORT", "WM/TitleSortOrder", "sonm"},
      {"ALBUMARTISTSORT", "TXXX:ALBUMARTISTSORT", "ALBUMARTISTSORT", "WM/AlbumArtistSortOrder", "soaa"},
      {"COMPOSERSORT", "TXXX:COMPOSERSORT", "COMPOSERSORT", "WM/ComposerSortOrder", "soco"},
      {"ORIGINALALBUM", "TOAL", "ORIGINALALBUM", "WM/OriginalAlbumTitle", ""},
      {"ORIGINALARTIST", "TOPE", "ORIGINALARTIST", "WM/OriginalArtist", ""},
      {"ORIGINALLYRICIST", "TOLY", "ORIGINALLYRICIST", "WM/OriginalLyricist", ""},
      {"ENCODEDBY", "TENC", "ENCODEDBY", "WM/EncodedBy", ""},
      {"LANGUAGE", "TLAN", "LANGUAGE", "WM/Language", "----:com.apple.iTunes:LANGUAGE"},
      {"MEDIA", "TMED", "MEDIA", "WM/Media", "----:com.apple.iTunes:MEDIA"},
      {"INITIALKEY", "TKEY", "KEY", "WM/InitialKey", "----:com.apple.iTunes:initialkey"},
      {"MOOD", "TXXX:MOOD", "MOOD", "WM/Mood", "----:com.apple.iTunes:MOOD"},
      {"BARCODE", "TXXX:BARCODE", "BARCODE", "WM/Barcode", "----:com.apple.iTunes:BARCODE"},
      {"CATALOGNUMBER", "TXXX:CATALOGNUMBER", "CATALOGNUMBER", "WM/CatalogNo", "----:com.apple.iTunes:CATALOGNUMBER"},
      {"RELEASETYPE", "TXXX:MusicBrainz Album Type", "RELEASETYPE", "MusicBrainz/Album Type", "----:com.apple.iTunes:MusicBrainz Album Type"},
      {"RELEASESTATUS", "TXXX:MusicBrainz Album Status", "RELEASESTATUS", "MusicBrainz/Album Status", "----:com.apple.iTunes:MusicBrainz Album Status"},
      {"RELEASECOUNTRY", "TXXX:MusicBrainz Album Release Country", "RELEASECOUNTRY", "MusicBrainz/Album Release Country", "----:com.apple.iTunes:MusicBrainz Album Release Country"},
      {"REPLAYGAIN_TRACK_GAIN", "TXXX:REPLAYGAIN_TRACK_GAIN", "REPLAYGAIN_TRACK_GAIN", "REPLAYGAIN_TRACK_GAIN", "----:com.apple.iTunes:REPLAYGAIN_TRACK_GAIN"},
      {"REPLAYGAIN_TRACK_PEAK", "TXXX:REPLAYGAIN_TRACK_PEAK", "REPLAYGAIN_TRACK_PEAK", "REPLAYGAIN_TRACK_PEAK", "----:com.apple.iTunes:REPLAYGAIN_TRACK_PEAK"},
      {"REPLAYGAIN_ALBUM_GAIN", "TXXX:REPLAYGAIN_ALBUM_GAIN", "REPLAYGAIN_ALBUM_GAIN", "REPLAYGAIN_ALBUM_GAIN", "----:com.apple.iTunes:REPLAYGAIN_ALBUM_GAIN"},
      {"REPLAYGAIN_ALBUM_PEAK", "TXXX:REPLAYGAIN_ALBUM_PEAK", "REPLAYGAIN_ALBUM_PEAK", "REPLAYGAIN_ALBUM_PEAK", "----:com.apple.iTunes:REPLAYGAIN_ALBUM_PEAK"},
      {"MUSICBRAINZ_TRACKID", "UFID:http://musicbrainz.org", "MUSICBRAINZ_TRACKID", "MusicBrainz/Track Id", "----:com.apple.iTunes:MusicBrainz Track Id"},
      {"MUSICBRAINZ_RELEASETRACKID", "TXXX:MusicBrainz Release Track Id", "MUSICBRAINZ_RELEASETRACKID", "MusicBrainz/Release Track Id", "----:com.apple.iTunes:MusicBrainz Release Track Id"},
      {"MUSICBRAINZ_ALBUMID", "TXXX:MusicBrainz Album Id", "MUSICBRAINZ_ALBUMID", "MusicBrainz/Album Id", "----:com.apple.iTunes:MusicBrainz Album Id"},
      {"MUSICBRAINZ_ARTISTID", "TXXX:MusicBrainz Artist Id", "MUSICBRAINZ_ARTISTID", "MusicBrainz/Artist Id", "----:com.apple.iTunes:MusicBrainz Artist Id"},
      {"MUSICBRAINZ_ALBUMARTISTID", "TXXX:MusicBrainz Album Artist Id", "MUSICBRAINZ_ALBUMARTISTID", "MusicBrainz/Album Artist Id", "----:com.apple.iTunes:MusicBrainz Album Artist Id"},
      {"MUSICBRAINZ_RELEASEGROUPID", "TXXX:MusicBrainz Release Group Id", "MUSICBRAINZ_RELEASEGROUPID", "MusicBrainz/Release Group Id", "----:com.apple.iTunes:MusicBrainz Release Group Id"},
      {"MUSICBRAINZ_WORKID", "TXXX:MusicBrainz Work Id", "MUSICBRAINZ_WORKID", "MusicBrainz/Work Id", "----:com.apple.iTunes:MusicBrainz Work Id"},
      {"ACOUSTID_ID", "TXXX:Acoustid Id", "ACOUSTID_ID", "Acoustid/Id", "----:com.apple.iTunes:Acoustid Id"},
      {"ACOUSTID_FINGERPRINT", "TXXX:Acoustid Fingerprint", "ACOUSTID_FINGERPRINT", "Acoustid/Fingerprint", "----:com.apple.iTunes:Acoustid Fingerprint"},
  };
  // clang-format on
}

using NameIndex = std::map<std::string, std::string>;  // upper-cased name → key

NameIndex BuildIndex(const char* TagFieldName::*column, std::initializer_list<std::pair<const char*, const char*>> aliases) {
  NameIndex index;
  for (const TagFieldName& row : TagFieldNames())
    if (*(row.*column) != '\0') index.emplace(AsciiUpper(row.*column), row.key);
  for (const auto& [alias, key] : aliases) index[AsciiUpper(alias)] = key;
  return index;
}

std::string Lookup(const NameIndex& index, const std::string& name) {
  const std::string upper = AsciiUpper(name);
  const auto found = index.find(upper);
  return found == index.end() ? upper : found->second;
}

std::string Trimmed(const std::string& text) {
  const size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return std::string();
  return text.substr(begin, text.find_last_not_of(' ') + 1 - begin);
}

}  // namespace

const std::vector<TagFieldName>& TagFieldNames() {
  static const std::vector<TagFieldName> kTable = BuildTable();
  return kTable;
}

const TagFieldName* FieldByKey(const std::string& key) {
  static const std::unordered_map<std::string_view, const TagFieldName*> kByKey = [] {
    std::unordered_map<std::string_view, const TagFieldName*> index;
    for (const TagFieldName& row : TagFieldNames()) index.emplace(row.key, &row);  // the first row of a key
    return index;
  }();
  const auto found = kByKey.find(key);
  return found != kByKey.end() ? found->second : nullptr;
}

std::string KeyFromId3Frame(const std::string& frameIdOrTxxx) {
  static const NameIndex kIndex = BuildIndex(
      &TagFieldName::id3v23, {{"TDRC", "DATE"}, {"TDOR", "ORIGINALDATE"}, {"TSO2", "ALBUMARTISTSORT"},
                              {"TSOC", "COMPOSERSORT"}, {"TMOO", "MOOD"}, {"TSST", "DISCSUBTITLE"},
                              {"TDRL", "RELEASEDATE"}, {"TSSE", "ENCODING"}});
  const std::string upper = AsciiUpper(frameIdOrTxxx);
  const auto found = kIndex.find(upper);
  if (found != kIndex.end()) return found->second;
  // A user-defined text frame is named by its description.
  return upper.rfind("TXXX:", 0) == 0 ? upper.substr(5) : upper;
}

std::string KeyFromVorbisName(const std::string& name) {
  static const NameIndex kIndex = BuildIndex(
      &TagFieldName::vorbis, {{"TOTALTRACKS", "TRACKTOTAL"}, {"TOTALDISCS", "DISCTOTAL"}, {"ALBUM ARTIST", "ALBUMARTIST"},
                              {"ORGANIZATION", "LABEL"}, {"PUBLISHER", "LABEL"}, {"CONTENTGROUP", "GROUPING"}, {"UNSYNCEDLYRICS", "LYRICS"},
                              {"ENCODER", "ENCODING"}, {"ENCODERSETTINGS", "ENCODING"}, {"ENCODER_OPTIONS", "ENCODING"}});
  return Lookup(kIndex, name);
}

std::string KeyFromAsfName(const std::string& name) {
  static const NameIndex kIndex = BuildIndex(
      &TagFieldName::asf, {{"WM/Track", "TRACKNUMBER"}, {"WM/EncodingSettings", "ENCODING"}, {"WM/ToolName", "ENCODING"},
                           {"WM/ToolVersion", "ENCODING"}, {"replaygain_track_gain", "REPLAYGAIN_TRACK_GAIN"}});
  return Lookup(kIndex, name);
}

std::string KeyFromMp4Name(const std::string& name) {
  static const NameIndex kIndex = BuildIndex(&TagFieldName::mp4, {});
  const std::string upper = AsciiUpper(name);
  const auto found = kIndex.find(upper);
  if (found != kIndex.end()) return found->second;
  return KeyFromVorbisName(upper.substr(upper.rfind(':') + 1));
}

bool IsSourceEncodingKey(const std::string& key) {
  static constexpr std::string_view kPrefixes[] = {
      "ENCODING", "ITUNSMPB", "ITUNNORM", "WMFSDK", "WM/WMADRC", "WM/MEDIACLASS", "ISVBR", "IS_VBR",
      "DEVICECONFORMANCETEMPLATE", "WM/ENCODINGTIME", "WM/WMCONTENTID", "WM/WMCOLLECTION", "WM/PROVIDER",
      "WM/UNIQUEFILEIDENTIFIER", "TLEN", "DURATION", "BITRATE", "WM/PICTURE", "WM/GENREID"};
  const std::string_view text = key;
  if (text.empty() || std::string_view("BDEITW").find(text.front()) == std::string_view::npos) return false;
  for (const std::string_view prefix : kPrefixes)
    if (text.substr(0, prefix.size()) == prefix) return true;
  return false;
}

std::string AsciiUpper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

NumberAndTotal SplitNumberAndTotal(const std::string& text) {
  const size_t slash = text.find('/');
  if (slash == std::string::npos) return {Trimmed(text), ""};
  return {Trimmed(text.substr(0, slash)), Trimmed(text.substr(slash + 1))};
}
