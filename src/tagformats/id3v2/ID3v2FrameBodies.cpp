#include "tagformats/id3v2/ID3v2FrameBodies.h"

#include "tagformats/common/TextEncoding.h"
#include "tagformats/id3v2/ID3v2Text.h"

namespace {

void Append(FrameBody* body, const std::vector<uint8_t>& bytes) { body->insert(body->end(), bytes.begin(), bytes.end()); }

// The texts of one frame share one encoding: ISO-8859-1 when all of them fit.
uint8_t EncodingFor(const std::vector<std::string>& texts) {
  for (const std::string& text : texts)
    if (!FitsLatin1(text)) return kID3v2Utf16;
  return kID3v2Latin1;
}

std::vector<uint8_t> Encoded(uint8_t encoding, const std::string& text) {
  if (encoding == kID3v2Latin1) {
    const std::string latin1 = Utf8ToLatin1(text);
    return std::vector<uint8_t>(latin1.begin(), latin1.end());
  }
  return EncodeID3v2Text(text, SIZE_MAX).bytes;  // behind its byte-order mark
}

std::vector<uint8_t> Terminated(uint8_t encoding, const std::string& text) {
  if (text.empty()) return EmptyID3v2String(encoding);
  std::vector<uint8_t> bytes = Encoded(encoding, text);
  bytes.resize(bytes.size() + ID3v2TerminatorSize(encoding), 0);
  return bytes;
}

}  // namespace

FrameBody TextFrameBody(const std::string& text) {
  const EncodedID3v2Text encoded = EncodeID3v2Text(text, SIZE_MAX);
  FrameBody body{encoded.encoding};
  Append(&body, encoded.bytes);
  return body;
}

FrameBody LanguageFrameBody(const std::string& description, const std::string& text) {
  const uint8_t encoding = EncodingFor({description, text});
  FrameBody body{encoding, 'e', 'n', 'g'};
  Append(&body, Terminated(encoding, description));
  Append(&body, Encoded(encoding, text));
  return body;
}

FrameBody UserTextFrameBody(const std::string& description, const std::string& value) {
  const uint8_t encoding = EncodingFor({description, value});
  FrameBody body{encoding};
  Append(&body, Terminated(encoding, description));
  Append(&body, Encoded(encoding, value));
  return body;
}

FrameBody UniqueFileIdBody(const std::string& owner, const std::string& identifier) {
  FrameBody body(owner.begin(), owner.end());
  body.push_back(0);
  body.insert(body.end(), identifier.begin(), identifier.end());
  return body;
}

FrameBody PictureFrameHead(const TagPicture& picture) {
  const uint8_t encoding = EncodingFor({picture.description});
  FrameBody body{encoding};
  Append(&body, Terminated(kID3v2Latin1, picture.mimeType));
  body.push_back(picture.type);
  Append(&body, Terminated(encoding, picture.description));
  return body;
}
