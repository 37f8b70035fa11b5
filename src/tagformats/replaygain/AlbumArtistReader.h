// The album artist a source's tags name (TPE2 in ID3v2, ALBUMARTIST in Vorbis comments,
// WM/AlbumArtist in ASF, aART in MP4), read through TagLib. The tag record has no field for
// it; ReplayGain's albums need it to tell albums of the same name apart.
#pragma once

#include <string>

// Empty when the file names none or cannot be read.
std::string ReadAlbumArtist(const std::string& path);
