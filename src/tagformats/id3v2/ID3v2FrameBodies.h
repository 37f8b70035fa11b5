// The bodies of the ID3v2.3 frames the writer produces, text never cut: text frames, comment
// and lyrics frames, user-defined text, the unique file identifier and attached pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tags/TagExtras.h"

using FrameBody = std::vector<uint8_t>;

// One text, ISO-8859-1 when it fits, else UTF-16 with a byte-order mark.
FrameBody TextFrameBody(const std::string& text);
// Language "eng", a description (empty for the comment and the lyrics), then the text.
FrameBody LanguageFrameBody(const std::string& description, const std::string& text);
// "TXXX": description, then the value.
FrameBody UserTextFrameBody(const std::string& description, const std::string& value);
// "UFID": the owner, then the identifier's bytes.
FrameBody UniqueFileIdBody(const std::string& owner, const std::string& identifier);
// "APIC": MIME type, picture type, description; the picture's bytes follow it.
FrameBody PictureFrameHead(const TagPicture& picture);
