// The pictures of a file opened by TagLib, whatever its container: FLAC picture blocks, Ogg
// picture comments, MP4 cover art, the attached pictures of an ID3v2 tag (AIFF, WAV) and the
// cover art items of an APEv2 tag (APE, WavPack, MP3).
#pragma once

#include <vector>

#include "tags/TagExtras.h"

namespace TagLib {
class File;
namespace APE {
class Tag;
}
namespace ID3v2 {
class Tag;
}
}  // namespace TagLib

std::vector<TagPicture> PicturesOf(TagLib::File& file);
std::vector<TagPicture> PicturesOfApeTag(const TagLib::APE::Tag& tag);
std::vector<TagPicture> PicturesOfId3v2Tag(const TagLib::ID3v2::Tag& tag);
