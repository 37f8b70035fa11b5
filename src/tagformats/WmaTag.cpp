#include "tagformats/WmaTag.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "tagformats/AsfHeaderWalk.h"
#include "tagformats/WmaText.h"

WMATagInfo current_wma_tag{};

namespace {

WmaAudioInfoFactory g_factory = &WmaAudioInfo::Open;

// Makes the file writable for the owner for as long as it lives, then puts the original
// permission bits back, whatever happened in between.
class WritableWhileAlive {
 public:
  explicit WritableWhileAlive(const std::string& path) : path_(path) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return;
    mode_ = info.st_mode & 07777;
    remembered_ = true;
    if ((mode_ & S_IWUSR) == 0) ::chmod(path.c_str(), mode_ | S_IWUSR);
  }
  ~WritableWhileAlive() {
    if (remembered_) ::chmod(path_.c_str(), mode_);
  }
  WritableWhileAlive(const WritableWhileAlive&) = delete;
  WritableWhileAlive& operator=(const WritableWhileAlive&) = delete;

 private:
  std::string path_;
  mode_t mode_ = 0;
  bool remembered_ = false;
};

// A field's text goes out as UTF-16 with its terminating zero; a field that is not valid
// UTF-8 is left unset rather than written as garbage.
template <size_t N>
void SetTextAttribute(WmaAudioInfo& info, WmaAttribute name, const char (&field)[N]) {
  std::u16string units;
  if (!Utf8ToUtf16(WmaFieldText(field), units)) return;
  units.push_back(u'\0');
  std::vector<uint8_t> bytes(units.size() * 2);
  StoreUtf16Le(units, bytes.data());
  info.SetAttribute(WmaAttributeName(name), kWmaTypeText, bytes.data(),
                    static_cast<uint16_t>(bytes.size()));
}

void SetNumberAttribute(WmaAudioInfo& info, WmaAttribute name, uint32_t number) {
  const uint8_t bytes[4] = {uint8_t(number), uint8_t(number >> 8), uint8_t(number >> 16),
                            uint8_t(number >> 24)};
  info.SetAttribute(WmaAttributeName(name), kWmaTypeNumber, bytes, sizeof bytes);
}

struct AttributeValue {
  bool ok = false;
  uint32_t type = 0;
  uint8_t bytes[kWmaValueBufferSize] = {};
  uint16_t length = kWmaValueBufferSize;
};

AttributeValue GetAttribute(const WmaAudioInfo& info, WmaAttribute name) {
  AttributeValue v;
  v.ok = info.GetAttributeByName(WmaAttributeName(name), &v.type, v.bytes, &v.length) == kWmaOk;
  return v;
}

template <size_t N>
void ReadTextAttribute(const WmaAudioInfo& info, WmaAttribute name, char (&field)[N]) {
  const AttributeValue v = GetAttribute(info, name);
  if (v.ok && v.type == kWmaTypeText) SetWmaField(field, Utf16LeToUtf8(v.bytes, v.length));
}

// The low 16 bits of a number attribute. Other tools often store the track number as a
// decimal text, so such a text counts as well.
uint16_t ReadTrackAttribute(const WmaAudioInfo& info, WmaAttribute name) {
  const AttributeValue v = GetAttribute(info, name);
  if (!v.ok) return 0;
  if (v.type == kWmaTypeNumber && v.length == 4)
    return static_cast<uint16_t>(v.bytes[0] | (v.bytes[1] << 8));
  if (v.type == kWmaTypeText) return static_cast<uint16_t>(LeadingDecimal(Utf16LeToUtf8(v.bytes, v.length)));
  return 0;
}

bool ReadThroughAttributeLayer(const std::string& fileName, WMATagInfo& out) {
  if (g_factory == nullptr) return false;
  const std::unique_ptr<WmaAudioInfo> info = g_factory(fileName, WmaAudioInfo::Mode::Read);
  if (!info) return false;
  out.found = -1;
  ReadTextAttribute(*info, WmaAttribute::Title, out.title);
  ReadTextAttribute(*info, WmaAttribute::Author, out.artist);
  ReadTextAttribute(*info, WmaAttribute::AlbumTitle, out.album);
  ReadTextAttribute(*info, WmaAttribute::Year, out.year);
  out.track = ReadTrackAttribute(*info, WmaAttribute::TrackNumber);
  if (out.track == 0) out.track = ReadTrackAttribute(*info, WmaAttribute::Track);
  ReadTextAttribute(*info, WmaAttribute::Description, out.comment);
  ReadTextAttribute(*info, WmaAttribute::Genre, out.genre);
  info->Close();
  return true;
}

}  // namespace

void SetWmaField(char* field, size_t capacity, const std::string& text) {
  if (capacity == 0) return;
  std::memset(field, 0, capacity);
  size_t length = std::min(text.size(), capacity - 1);
  // Back off to the start of the character at the cut so that none is split.
  if (length < text.size())
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  std::memcpy(field, text.data(), length);
}

std::string WmaFieldText(const char* field, size_t capacity) {
  return std::string(field, strnlen(field, capacity));
}

void SetWmaAudioInfoFactory(WmaAudioInfoFactory factory) { g_factory = factory; }
WmaAudioInfoFactory GetWmaAudioInfoFactory() { return g_factory; }

bool WriteWMATag(const std::string& fileName, const WMATagInfo& record) {
  try {
    const WritableWhileAlive writable(fileName);
    if (g_factory == nullptr) return false;
    const std::unique_ptr<WmaAudioInfo> info = g_factory(fileName, WmaAudioInfo::Mode::ReadWrite);
    if (!info) return false;
    SetTextAttribute(*info, WmaAttribute::Author, record.artist);
    SetTextAttribute(*info, WmaAttribute::Title, record.title);
    SetTextAttribute(*info, WmaAttribute::AlbumTitle, record.album);
    SetTextAttribute(*info, WmaAttribute::Year, record.year);
    SetTextAttribute(*info, WmaAttribute::Description, record.comment);
    SetTextAttribute(*info, WmaAttribute::Genre, record.genre);
    SetNumberAttribute(*info, WmaAttribute::TrackNumber, record.track);
    return info->Close() == kWmaOk;
  } catch (...) {
    return false;
  }
}

void ReadWMATagFromHeader(AsfByteSource& source, WMATagInfo& out) {
  out = WMATagInfo{};
  const AsfHeaderTags tags = WalkAsfHeader(source);
  if (!tags.found) return;
  out.found = -1;
  SetWmaField(out.title, tags.title);
  SetWmaField(out.artist, tags.artist);
  SetWmaField(out.copyright, tags.copyright);
  SetWmaField(out.comment, tags.comment);
  SetWmaField(out.album, tags.album);
  SetWmaField(out.year, tags.year);
  SetWmaField(out.genre, tags.genre);
  out.track = static_cast<uint16_t>(tags.track);
}

// Reading needs no change of permission bits: a read-only file opens for reading as it is.
void ReadWMATag(const std::string& fileName, WMATagInfo& out) {
  out = WMATagInfo{};
  try {
    if (ReadThroughAttributeLayer(fileName, out)) return;
    out = WMATagInfo{};
    const std::unique_ptr<AsfFileSource> source = AsfFileSource::Open(fileName);
    if (source) ReadWMATagFromHeader(*source, out);
  } catch (...) {
    out = WMATagInfo{};
  }
}
