#include "tagformats/generic/GenericPictures.h"

#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/aifffile.h>
#include <taglib/oggfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr uint8_t kFrontCover = 3, kBackCover = 4;

std::vector<uint8_t> BytesOf(const TagLib::ByteVector& data) {
  return std::vector<uint8_t>(data.begin(), data.end());
}

std::string Utf8Of(const TagLib::String& text) { return text.to8Bit(true); }

// The MIME type of image bytes that come without one.
std::string SniffedMimeType(const std::vector<uint8_t>& data) {
  auto startsWith = [&](const char* magic, size_t length) {
    return data.size() >= length && std::memcmp(data.data(), magic, length) == 0;
  };
  if (startsWith("\x89PNG", 4)) return "image/png";
  if (startsWith("\xFF\xD8", 2)) return "image/jpeg";
  if (startsWith("GIF8", 4)) return "image/gif";
  if (startsWith("BM", 2)) return "image/bmp";
  return "application/octet-stream";
}

std::vector<TagPicture> FromFlacPictures(const TagLib::List<TagLib::FLAC::Picture*>& list) {
  std::vector<TagPicture> pictures;
  for (const TagLib::FLAC::Picture* p : list)
    pictures.push_back(TagPicture{static_cast<uint8_t>(p->type()), Utf8Of(p->mimeType()), Utf8Of(p->description()),
                                  BytesOf(p->data())});
  return pictures;
}

std::vector<TagPicture> FromMp4(TagLib::MP4::File& file) {
  std::vector<TagPicture> pictures;
  if (file.tag() == nullptr || !file.tag()->contains("covr")) return pictures;
  for (const TagLib::MP4::CoverArt& art : file.tag()->item("covr").toCoverArtList()) {
    TagPicture picture{kFrontCover, "", "", BytesOf(art.data())};
    picture.mimeType = SniffedMimeType(picture.data);
    pictures.push_back(std::move(picture));
  }
  return pictures;
}

}  // namespace

std::vector<TagPicture> PicturesOfId3v2Tag(const TagLib::ID3v2::Tag& tag) {
  std::vector<TagPicture> pictures;
  for (const TagLib::ID3v2::Frame* frame : tag.frameListMap()["APIC"]) {
    const auto* p = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame);
    if (p == nullptr) continue;
    pictures.push_back(TagPicture{static_cast<uint8_t>(p->type()), Utf8Of(p->mimeType()), Utf8Of(p->description()),
                                  BytesOf(p->picture())});
  }
  return pictures;
}

// APEv2 cover art: a binary item "Cover Art (Front)" or "(Back)" holding a file name, a zero
// byte, then the image.
std::vector<TagPicture> PicturesOfApeTag(const TagLib::APE::Tag& tag) {
  std::vector<TagPicture> pictures;
  for (const auto& [key, item] : tag.itemListMap()) {
    const std::string name = key.upper().to8Bit(true);
    if (name.rfind("COVER ART", 0) != 0 || item.type() != TagLib::APE::Item::Binary) continue;
    const TagLib::ByteVector data = item.binaryData();
    const int zero = data.find('\0');
    if (zero < 0) continue;
    TagPicture picture{name.find("BACK") != std::string::npos ? kBackCover : kFrontCover, "",
                       std::string(data.data(), static_cast<size_t>(zero)), BytesOf(data.mid(static_cast<unsigned>(zero) + 1))};
    picture.mimeType = SniffedMimeType(picture.data);
    pictures.push_back(std::move(picture));
  }
  // The items come sorted by name, which puts the back before the front.
  std::stable_sort(pictures.begin(), pictures.end(),
                   [](const TagPicture& a, const TagPicture& b) { return a.type < b.type; });
  return pictures;
}

std::vector<TagPicture> PicturesOf(TagLib::File& file) {
  if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(&file)) return FromFlacPictures(flac->pictureList());
  if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(&file)) return FromMp4(*mp4);
  if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(&file))
    return aiff->hasID3v2Tag() ? PicturesOfId3v2Tag(*aiff->tag()) : std::vector<TagPicture>{};
  if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(&file))
    return wav->hasID3v2Tag() ? PicturesOfId3v2Tag(*wav->ID3v2Tag()) : std::vector<TagPicture>{};
  if (auto* ape = dynamic_cast<TagLib::APE::File*>(&file))
    return ape->hasAPETag() ? PicturesOfApeTag(*ape->APETag()) : std::vector<TagPicture>{};
  if (auto* wavpack = dynamic_cast<TagLib::WavPack::File*>(&file))
    return wavpack->hasAPETag() ? PicturesOfApeTag(*wavpack->APETag()) : std::vector<TagPicture>{};
  if (dynamic_cast<TagLib::Ogg::File*>(&file) != nullptr) {
    if (auto* comments = dynamic_cast<TagLib::Ogg::XiphComment*>(file.tag())) return FromFlacPictures(comments->pictureList());
  }
  return {};
}
