#include "tagformats/wma/WmaAudioInfo.h"

#include <sys/stat.h>
#include <taglib/asfattribute.h>
#include <taglib/asfpicture.h>
#include <taglib/asffile.h>
#include <taglib/asfproperties.h>
#include <taglib/asftag.h>
#include <taglib/tfilestream.h>

#include <algorithm>

namespace {

using TagLib::ASF::Attribute;

TagLib::String Key(WmaAttribute a) { return TagLib::String(WmaAttributeName(a), TagLib::String::UTF8); }

std::string Utf8Of(const TagLib::String& text) { return text.to8Bit(true); }

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

std::optional<uint64_t> NumberOf(const Attribute& a) {
  switch (a.type()) {
    case Attribute::DWordType: return a.toUInt();
    case Attribute::QWordType: return a.toULongLong();
    case Attribute::WordType: return a.toUShort();
    case Attribute::BoolType: return a.toBool() ? 1 : 0;
    default: return std::nullopt;
  }
}

// Writers put the first of a name's several values into the extended content description and
// the others into the metadata library inside the header extension, while TagLib lists the
// values in the order of those objects in the file. True when the header extension comes
// first, so that a name's first value stands last in TagLib's list.
bool HeaderExtensionComesFirst(TagLib::FileStream& stream) {
  static const TagLib::ByteVector kHeaderExtension("\xB5\x03\xBF\x5F\x2E\xA9\xCF\x11\x8E\xE3\x00\xC0\x0C\x20\x53\x65", 16);
  static const TagLib::ByteVector kExtendedContent("\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50", 16);
  constexpr long kHeaderPrefix = 30;  // GUID, size, object count, two reserved bytes
  long pos = kHeaderPrefix;
  for (int objects = 0; objects < 4096; ++objects) {
    stream.seek(pos);
    const TagLib::ByteVector prefix = stream.readBlock(24);
    if (prefix.size() < 24) return false;
    if (prefix.startsWith(kHeaderExtension)) return true;
    if (prefix.startsWith(kExtendedContent)) return false;
    const long long size = prefix.toLongLong(16, false);
    if (size < 24 || size > (1LL << 40)) return false;
    pos += static_cast<long>(size);
  }
  return false;
}

// A name's values in the order their writer gave them.
TagLib::ASF::AttributeList InWrittenOrder(TagLib::ASF::AttributeList values, bool firstStandsLast) {
  if (firstStandsLast && values.size() > 1) {
    const Attribute first = values.back();
    values.erase(--values.end());
    values.prepend(first);
  }
  return values;
}

}  // namespace

const std::array<std::string, kWmaAttributeCount>& WmaAttributeNames() {
  static const std::array<std::string, kWmaAttributeCount> kNames = {
      "Duration", "Bitrate", "Seekable", "Broadcast", "Is_Protected", "Is_Trusted",
      "Signature_Name", "Title", "Author", "Description", "Rating", "Copyright",
      "Use_DRM", "DRM_Flags", "DRM_Level", "WM/AlbumTitle", "WM/Track",
      "WM/PromotionURL", "WM/AlbumCoverURL", "WM/Genre", "WM/Year", "WM/TrackNumber"};
  return kNames;
}

const std::string& WmaAttributeName(WmaAttribute attribute) {
  return WmaAttributeNames()[static_cast<size_t>(attribute)];
}

bool IsWmaStreamProperty(WmaAttribute a) {
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

bool IsWmaContentDescription(WmaAttribute a) {
  return a == WmaAttribute::Title || a == WmaAttribute::Author || a == WmaAttribute::Description ||
         a == WmaAttribute::Copyright || a == WmaAttribute::Rating;
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
  const bool firstStandsLast = HeaderExtensionComesFirst(*stream);
  auto opened = std::unique_ptr<WmaAudioInfo>(new WmaAudioInfo(std::move(stream), std::move(file)));
  opened->firstValueStandsLast_ = firstStandsLast;
  return opened;
}

WmaAudioInfo::WmaAudioInfo(std::unique_ptr<TagLib::FileStream> stream,
                           std::unique_ptr<TagLib::ASF::File> file)
    : stream_(std::move(stream)), file_(std::move(file)) {
  for (const auto& [name, values] : file_->tag()->attributeListMap()) NoteHeldName(Utf8Of(name));
}

WmaAudioInfo::~WmaAudioInfo() = default;

std::optional<std::string> WmaAudioInfo::Text(WmaAttribute attribute) const {
  const TagLib::ASF::Tag& tag = *file_->tag();
  const TagLib::String key = Key(attribute);
  if (IsWmaContentDescription(attribute)) {
    // Some writers leave the content description empty and keep the text as an extended
    // attribute of the same name.
    const TagLib::String text = ContentDescriptionText(tag, attribute);
    if (!text.isEmpty() || !tag.contains(key)) return Utf8Of(text);
  }
  const TagLib::ASF::AttributeList values = tag.attribute(key);
  if (values.isEmpty() || values.front().type() != Attribute::UnicodeType) return std::nullopt;
  return Utf8Of(values.front().toString());
}

std::optional<uint64_t> WmaAudioInfo::Number(WmaAttribute attribute) const {
  const TagLib::ASF::Properties* properties = file_->audioProperties();
  if (properties != nullptr) {
    if (attribute == WmaAttribute::Duration)
      return uint64_t(std::max(0, properties->lengthInMilliseconds())) * 10000;
    if (attribute == WmaAttribute::Bitrate) return uint64_t(std::max(0, properties->bitrate())) * 1000;
    if (attribute == WmaAttribute::IsProtected) return properties->isEncrypted() ? 1 : 0;
  }
  const TagLib::ASF::AttributeList values = file_->tag()->attribute(Key(attribute));
  if (values.isEmpty()) return std::nullopt;
  return NumberOf(values.front());
}

bool WmaAudioInfo::SetText(WmaAttribute attribute, const std::string& utf8) {
  if (IsWmaStreamProperty(attribute)) return false;
  TagLib::ASF::Tag& tag = *file_->tag();
  const TagLib::String text(utf8, TagLib::String::UTF8);
  if (IsWmaContentDescription(attribute)) {
    SetContentDescriptionText(tag, attribute, text);
    tag.removeItem(Key(attribute));  // an extended copy would contradict the new text
  } else {
    tag.setAttribute(Key(attribute), Attribute(text));
  }
  TakeOverHeldValues(WmaAttributeName(attribute));
  modified_ = true;
  return true;
}

std::vector<std::pair<std::string, std::string>> WmaAudioInfo::AllTexts() const {
  const TagLib::ASF::Tag& tag = *file_->tag();
  std::vector<std::pair<std::string, std::string>> texts;
  for (WmaAttribute a : {WmaAttribute::Title, WmaAttribute::Author, WmaAttribute::Copyright, WmaAttribute::Description,
                         WmaAttribute::Rating}) {
    const std::string text = Utf8Of(ContentDescriptionText(tag, a));
    if (!text.empty()) texts.emplace_back(WmaAttributeName(a), text);
  }
  for (const auto& [name, values] : tag.attributeListMap()) {
    for (const Attribute& value : InWrittenOrder(values, firstValueStandsLast_)) {
      if (value.type() == Attribute::UnicodeType) texts.emplace_back(Utf8Of(name), Utf8Of(value.toString()));
      else if (const std::optional<uint64_t> number = NumberOf(value))
        texts.emplace_back(Utf8Of(name), std::to_string(*number));
    }
  }
  return texts;
}

std::vector<TagPicture> WmaAudioInfo::Pictures() const {
  std::vector<TagPicture> pictures;
  const TagLib::ASF::AttributeList values = file_->tag()->attribute("WM/Picture");
  for (const Attribute& value : InWrittenOrder(values, firstValueStandsLast_)) {
    const TagLib::ASF::Picture picture = value.toPicture();
    if (!picture.isValid()) continue;
    const TagLib::ByteVector data = picture.picture();
    pictures.push_back(TagPicture{static_cast<uint8_t>(picture.type()), Utf8Of(picture.mimeType()),
                                  Utf8Of(picture.description()), std::vector<uint8_t>(data.begin(), data.end())});
  }
  return pictures;
}

void WmaAudioInfo::AddText(const std::string& name, const std::string& utf8) {
  if (TakeOverHeldValues(name)) file_->tag()->removeItem(TagLib::String(name, TagLib::String::UTF8));
  file_->tag()->addAttribute(TagLib::String(name, TagLib::String::UTF8), Attribute(TagLib::String(utf8, TagLib::String::UTF8)));
  modified_ = true;
}

void WmaAudioInfo::AddPicture(const TagPicture& picture) {
  TagLib::ASF::Picture value;
  value.setType(static_cast<TagLib::ASF::Picture::Type>(picture.type));
  value.setMimeType(TagLib::String(picture.mimeType, TagLib::String::UTF8));
  value.setDescription(TagLib::String(picture.description, TagLib::String::UTF8));
  value.setPicture(TagLib::ByteVector(reinterpret_cast<const char*>(picture.data.data()),
                                      static_cast<unsigned int>(picture.data.size())));
  if (TakeOverHeldValues("WM/Picture")) file_->tag()->removeItem("WM/Picture");
  file_->tag()->addAttribute("WM/Picture", Attribute(value));
  modified_ = true;
}

bool WmaAudioInfo::SetNumber(WmaAttribute attribute, uint32_t value) {
  if (IsWmaStreamProperty(attribute) || IsWmaContentDescription(attribute)) return false;
  file_->tag()->setAttribute(Key(attribute), Attribute(static_cast<unsigned int>(value)));
  TakeOverHeldValues(WmaAttributeName(attribute));
  modified_ = true;
  return true;
}

void WmaAudioInfo::Remove(WmaAttribute attribute) {
  if (IsWmaStreamProperty(attribute)) return;
  TagLib::ASF::Tag& tag = *file_->tag();
  if (IsWmaContentDescription(attribute)) SetContentDescriptionText(tag, attribute, TagLib::String());
  tag.removeItem(Key(attribute));
  TakeOverHeldValues(WmaAttributeName(attribute));
  modified_ = true;
}

bool WmaAudioInfo::Close() {
  if (!modified_) return true;
  modified_ = false;
  return file_->save();
}
