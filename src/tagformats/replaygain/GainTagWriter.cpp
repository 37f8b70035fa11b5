#include "tagformats/replaygain/GainTagWriter.h"

#include <taglib/asffile.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "tagformats/common/TagError.h"

namespace {

TagLib::String Utf8(const std::string& text) { return TagLib::String(text, TagLib::String::UTF8); }

std::string LowerExtension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

void Fail(const std::string& path, const char* what) {
  throw TagError("Cannot write the loudness tags of " + path + ": " + what);
}

template <typename File>
void Check(const std::string& path, File& file) {
  if (!file.isValid()) Fail(path, "the file cannot be read");
}

void WriteMp3(const std::string& path, const GainFields& fields) {
  TagLib::MPEG::File file(path.c_str(), false);
  Check(path, file);
  TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
  for (const auto& [name, value] : fields) {
    while (auto* old = TagLib::ID3v2::UserTextIdentificationFrame::find(tag, Utf8(name)))
      tag->removeFrame(old);
    auto* frame = new TagLib::ID3v2::UserTextIdentificationFrame(TagLib::String::Latin1);
    frame->setDescription(Utf8(name));
    frame->setText(Utf8(value));
    tag->addFrame(frame);
  }
  if (!file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v3,
                 TagLib::File::DoNotDuplicate))
    Fail(path, "saving failed");
}

template <typename File>
void WriteXiph(const std::string& path, File& file, TagLib::Ogg::XiphComment* comments,
               const GainFields& fields) {
  if (!comments) Fail(path, "the file has no comment block");
  for (const auto& [name, value] : fields) comments->addField(Utf8(name), Utf8(value), true);
  if (!file.save()) Fail(path, "saving failed");
}

// An Ogg output holds Vorbis, Opus or FLAC; each has its own comment packet.
void WriteOgg(const std::string& path, const GainFields& fields) {
  TagLib::Ogg::Vorbis::File vorbis(path.c_str(), false);
  if (vorbis.isValid()) return WriteXiph(path, vorbis, vorbis.tag(), fields);
  TagLib::Ogg::Opus::File opus(path.c_str(), false);
  if (opus.isValid()) return WriteXiph(path, opus, opus.tag(), fields);
  TagLib::Ogg::FLAC::File flac(path.c_str(), false);
  Check(path, flac);
  WriteXiph(path, flac, flac.tag(), fields);
}

void WriteFlac(const std::string& path, const GainFields& fields) {
  TagLib::FLAC::File file(path.c_str(), false);
  Check(path, file);
  WriteXiph(path, file, file.xiphComment(true), fields);
}

void WriteWma(const std::string& path, const GainFields& fields) {
  TagLib::ASF::File file(path.c_str(), false);
  Check(path, file);
  for (const auto& [name, value] : fields) file.tag()->setAttribute(Utf8(name), Utf8(value));
  if (!file.save()) Fail(path, "saving failed");
}

void WriteM4a(const std::string& path, const GainFields& fields) {
  TagLib::MP4::File file(path.c_str(), false);
  Check(path, file);
  for (const auto& [name, value] : fields)
    file.tag()->setItem("----:com.apple.iTunes:" + Utf8(name), TagLib::StringList(Utf8(value)));
  if (!file.save()) Fail(path, "saving failed");
}

}  // namespace

void WriteGainFields(const std::string& path, const GainFields& fields) {
  if (fields.empty()) return;
  const std::string extension = LowerExtension(path);
  if (extension == ".mp3")
    WriteMp3(path, fields);
  else if (extension == ".ogg" || extension == ".oga" || extension == ".opus")
    WriteOgg(path, fields);
  else if (extension == ".flac")
    WriteFlac(path, fields);
  else if (extension == ".wma" || extension == ".asf")
    WriteWma(path, fields);
  else if (extension == ".m4a" || extension == ".mp4")
    WriteM4a(path, fields);
}
