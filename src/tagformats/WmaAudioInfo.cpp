#include "tagformats/WmaAudioInfo.h"

#include <sys/stat.h>
#include <taglib/asfattribute.h>
#include <taglib/asffile.h>
#include <taglib/asfproperties.h>
#include <taglib/asftag.h>
#include <taglib/tfilestream.h>

#include <algorithm>
#include <cstring>

#include "tagformats/WmaText.h"

namespace {

using TagLib::ASF::Attribute;

bool IsStreamProperty(WmaAttribute a) {
  switch (a) {
    case WmaAttribute::Duration: case WmaAttribute::Bitrate: case WmaAttribute::Seekable:
    case WmaAttribute::Broadcast: case WmaAttribute::IsProtected: case WmaAttribute::IsTrusted:
    case WmaAttribute::SignatureName: case WmaAttribute::UseDrm: case WmaAttribute::DrmFlags:
    case WmaAttribute::DrmLevel:
      return true;
    default:
      return false;
  }
}

// The attributes that live in the content description object, where every reader looks.
bool IsContentDescription(WmaAttribute a) {
  return a == WmaAttribute::Title || a == WmaAttribute::Author || a == WmaAttribute::Description ||
         a == WmaAttribute::Copyright || a == WmaAttribute::Rating;
}

const WmaAttribute* FindAttribute(const std::u16string& name) {
  static const WmaAttribute kAll[] = {
      WmaAttribute::Duration, WmaAttribute::Bitrate, WmaAttribute::Seekable,
      WmaAttribute::Broadcast, WmaAttribute::IsProtected, WmaAttribute::IsTrusted,
      WmaAttribute::SignatureName, WmaAttribute::Title, WmaAttribute::Author,
      WmaAttribute::Description, WmaAttribute::Rating, WmaAttribute::Copyright,
      WmaAttribute::UseDrm, WmaAttribute::DrmFlags, WmaAttribute::DrmLevel,
      WmaAttribute::AlbumTitle, WmaAttribute::Track, WmaAttribute::PromotionUrl,
      WmaAttribute::AlbumCoverUrl, WmaAttribute::Genre, WmaAttribute::Year,
      WmaAttribute::TrackNumber};
  const auto& names = WmaAttributeNames();
  for (size_t i = 0; i < kWmaAttributeCount; ++i)
    if (names[i] == name) return &kAll[i];
  return nullptr;
}

TagLib::String ToTagLib(const std::u16string& units) {
  std::string bytes(units.size() * 2, '\0');
  StoreUtf16Le(units, reinterpret_cast<uint8_t*>(&bytes[0]));
  return TagLib::String(Utf16LeToUtf8(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
                        TagLib::String::UTF8);
}

// Puts a text into the caller's buffer, cut to fit without splitting a surrogate pair.
int32_t StoreText(const TagLib::String& text, uint8_t* value, uint16_t* length) {
  if (*length < 2) {
    *length = 2;
    return kWmaBufferTooSmall;
  }
  const TagLib::ByteVector units = text.data(TagLib::String::UTF16LE);
  size_t count = std::min<size_t>(units.size() / 2, *length / 2 - 1);
  if (count > 0 && count < units.size() / 2) {
    const unsigned last = static_cast<unsigned char>(units[2 * count - 1]);
    if (last >= 0xD8 && last <= 0xDB) --count;  // high surrogate left without its partner
  }
  if (count > 0) std::memcpy(value, units.data(), count * 2);
  value[count * 2] = value[count * 2 + 1] = 0;
  *length = static_cast<uint16_t>((count + 1) * 2);
  return kWmaOk;
}

int32_t StoreBytes(const void* bytes, size_t size, uint8_t* value, uint16_t* length) {
  if (size > *length) {
    *length = static_cast<uint16_t>(std::min<size_t>(size, UINT16_MAX));
    return kWmaBufferTooSmall;
  }
  if (size > 0) std::memcpy(value, bytes, size);
  *length = static_cast<uint16_t>(size);
  return kWmaOk;
}

template <typename T>
int32_t StoreNumber(T number, uint32_t typeCode, uint32_t* type, uint8_t* value, uint16_t* length) {
  uint8_t bytes[sizeof(T)];
  for (size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<uint8_t>(uint64_t(number) >> (8 * i));
  *type = typeCode;
  return StoreBytes(bytes, sizeof(T), value, length);
}

template <typename T>
T LoadNumber(const uint8_t* value) {
  uint64_t number = 0;
  for (size_t i = sizeof(T); i-- > 0;) number = (number << 8) | value[i];
  return static_cast<T>(number);
}

int32_t StoreAttribute(const Attribute& a, uint32_t* type, uint8_t* value, uint16_t* length) {
  switch (a.type()) {
    case Attribute::UnicodeType:
      *type = kWmaTypeText;
      return StoreText(a.toString(), value, length);
    case Attribute::DWordType: return StoreNumber<uint32_t>(a.toUInt(), kWmaTypeNumber, type, value, length);
    case Attribute::QWordType: return StoreNumber<uint64_t>(a.toULongLong(), kWmaTypeQword, type, value, length);
    case Attribute::WordType: return StoreNumber<uint16_t>(a.toUShort(), kWmaTypeWord, type, value, length);
    case Attribute::BoolType: return StoreNumber<uint32_t>(a.toBool() ? 1 : 0, kWmaTypeBool, type, value, length);
    case Attribute::GuidType:
    case Attribute::BytesType: {
      *type = a.type() == Attribute::GuidType ? kWmaTypeGuid : kWmaTypeBinary;
      const TagLib::ByteVector bytes = a.toByteVector();
      return StoreBytes(bytes.data(), bytes.size(), value, length);
    }
  }
  return kWmaNotFound;
}

// Builds the attribute that a type code and its bytes describe; false when they do not fit.
bool MakeAttribute(uint32_t type, const uint8_t* value, uint16_t length, Attribute& out) {
  switch (type) {
    case kWmaTypeText:
      if (length < 2 || length % 2 != 0) return false;
      out = Attribute(TagLib::String(Utf16LeToUtf8(value, length), TagLib::String::UTF8));
      return true;
    case kWmaTypeNumber:
      if (length != 4) return false;
      out = Attribute(LoadNumber<unsigned int>(value));
      return true;
    case kWmaTypeBool:
      if (length != 4) return false;
      out = Attribute(LoadNumber<uint32_t>(value) != 0);
      return true;
    case kWmaTypeQword:
      if (length != 8) return false;
      out = Attribute(LoadNumber<unsigned long long>(value));
      return true;
    case kWmaTypeWord:
      if (length != 2) return false;
      out = Attribute(LoadNumber<unsigned short>(value));
      return true;
    case kWmaTypeBinary:
      out = Attribute(TagLib::ByteVector(reinterpret_cast<const char*>(value), length));
      return true;
    default:
      return false;
  }
}

TagLib::String ContentDescriptionText(const TagLib::ASF::Tag& tag, WmaAttribute a) {
  switch (a) {
    case WmaAttribute::Title: return tag.title();
    case WmaAttribute::Author: return tag.artist();
    case WmaAttribute::Description: return tag.comment();
    case WmaAttribute::Copyright: return tag.copyright();
    default: return tag.rating();
  }
}

void SetContentDescriptionText(TagLib::ASF::Tag& tag, WmaAttribute a, const TagLib::String& text) {
  switch (a) {
    case WmaAttribute::Title: tag.setTitle(text); break;
    case WmaAttribute::Author: tag.setArtist(text); break;
    case WmaAttribute::Description: tag.setComment(text); break;
    case WmaAttribute::Copyright: tag.setCopyright(text); break;
    default: tag.setRating(text); break;
  }
}

}  // namespace

const std::array<std::u16string, kWmaAttributeCount>& WmaAttributeNames() {
  static const std::array<std::u16string, kWmaAttributeCount> kNames = {
      u"Duration", u"Bitrate", u"Seekable", u"Broadcast", u"Is_Protected", u"Is_Trusted",
      u"Signature_Name", u"Title", u"Author", u"Description", u"Rating", u"Copyright",
      u"Use_DRM", u"DRM_Flags", u"DRM_Level", u"WM/AlbumTitle", u"WM/Track",
      u"WM/PromotionURL", u"WM/AlbumCoverURL", u"WM/Genre", u"WM/Year", u"WM/TrackNumber"};
  return kNames;
}

const std::u16string& WmaAttributeName(WmaAttribute attribute) {
  return WmaAttributeNames()[static_cast<size_t>(attribute)];
}

std::unique_ptr<WmaAudioInfo> WmaAudioInfo::Open(const std::string& fileName, Mode mode) {
  // TagLib would block on a FIFO and read a device forever; only regular files are media.
  struct stat info;
  if (::stat(fileName.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  auto stream = std::make_unique<TagLib::FileStream>(fileName.c_str(), mode == Mode::Read);
  if (!stream->isOpen() || (mode == Mode::ReadWrite && stream->readOnly())) return nullptr;
  auto file = std::make_unique<TagLib::ASF::File>(stream.get(), true,
                                                  TagLib::AudioProperties::Average);
  if (!file->isValid() || file->tag() == nullptr) return nullptr;
  return std::unique_ptr<WmaAudioInfo>(new WmaAudioInfo(std::move(stream), std::move(file)));
}

WmaAudioInfo::WmaAudioInfo(std::unique_ptr<TagLib::FileStream> stream,
                           std::unique_ptr<TagLib::ASF::File> file)
    : stream_(std::move(stream)), file_(std::move(file)) {}

WmaAudioInfo::~WmaAudioInfo() = default;

int32_t WmaAudioInfo::GetAttributeByName(const std::u16string& name, uint32_t* type,
                                         uint8_t* value, uint16_t* length) const {
  if (type == nullptr || value == nullptr || length == nullptr) return kWmaBadValue;
  const TagLib::ASF::Tag& tag = *file_->tag();
  const TagLib::ASF::Properties* properties = file_->audioProperties();
  const WmaAttribute* known = FindAttribute(name);
  if (known != nullptr && properties != nullptr) {
    if (*known == WmaAttribute::Duration)  // in 100-nanosecond units
      return StoreNumber<uint64_t>(uint64_t(std::max(0, properties->lengthInMilliseconds())) * 10000,
                                   kWmaTypeQword, type, value, length);
    if (*known == WmaAttribute::Bitrate)
      return StoreNumber<uint32_t>(uint32_t(std::max(0, properties->bitrate())) * 1000, kWmaTypeNumber, type,
                                   value, length);
    if (*known == WmaAttribute::IsProtected)
      return StoreNumber<uint32_t>(properties->isEncrypted() ? 1 : 0, kWmaTypeBool, type, value,
                                   length);
  }
  const TagLib::String key = ToTagLib(name);
  if (known != nullptr && IsContentDescription(*known)) {
    // Some writers leave the content description empty and keep the text as an extended
    // attribute of the same name.
    const TagLib::String text = ContentDescriptionText(tag, *known);
    if (!text.isEmpty() || !tag.contains(key)) {
      *type = kWmaTypeText;
      return StoreText(text, value, length);
    }
  }
  const TagLib::ASF::AttributeList values = tag.attribute(key);
  if (values.isEmpty()) return kWmaNotFound;
  return StoreAttribute(values.front(), type, value, length);
}

int32_t WmaAudioInfo::SetAttribute(const std::u16string& name, uint32_t type,
                                   const uint8_t* value, uint16_t length) {
  if (value == nullptr && length != 0) return kWmaBadValue;
  const WmaAttribute* known = FindAttribute(name);
  if (known != nullptr && IsStreamProperty(*known)) return kWmaReadOnly;
  Attribute attribute;
  if (name.empty() || !MakeAttribute(type, value, length, attribute)) return kWmaBadValue;
  TagLib::ASF::Tag& tag = *file_->tag();
  const TagLib::String key = ToTagLib(name);
  if (known != nullptr && IsContentDescription(*known)) {
    if (type != kWmaTypeText) return kWmaBadValue;
    SetContentDescriptionText(tag, *known, attribute.toString());
    tag.removeItem(key);  // an extended copy would contradict the new text
  } else {
    tag.setAttribute(key, attribute);
  }
  modified_ = true;
  return kWmaOk;
}

int32_t WmaAudioInfo::Close() {
  if (!modified_) return kWmaOk;
  modified_ = false;
  return file_->save() ? kWmaOk : kWmaStoreFailed;
}
