// The 128-byte ID3v1 tag at the end of a file, read when a file carries no ID3v2 tag.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "tags/Timerec.h"

constexpr size_t kID3v1TagSize = 128;

// `data` holds the last bytes of the file; nullopt when they do not end in an ID3v1 tag.
// The track comes from version 1.1 (a zero byte before the comment's last byte), the genre
// byte becomes its name.
std::optional<Timerec> ParseID3v1Tag(const uint8_t* data, size_t size);
