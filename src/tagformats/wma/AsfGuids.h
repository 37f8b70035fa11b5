// The identifiers of the ASF header objects that tag reading and writing look at.
#pragma once

#include <array>
#include <cstdint>

using AsfGuid = std::array<uint8_t, 16>;

// A GUID in the order it is stored: the first three groups little-endian, the rest as written.
constexpr AsfGuid MakeAsfGuid(uint32_t a, uint16_t b, uint16_t c, uint64_t d) {
  return {uint8_t(a), uint8_t(a >> 8), uint8_t(a >> 16), uint8_t(a >> 24),
          uint8_t(b), uint8_t(b >> 8), uint8_t(c), uint8_t(c >> 8),
          uint8_t(d >> 56), uint8_t(d >> 48), uint8_t(d >> 40), uint8_t(d >> 32),
          uint8_t(d >> 24), uint8_t(d >> 16), uint8_t(d >> 8), uint8_t(d)};
}

constexpr AsfGuid kAsfHeaderGuid = MakeAsfGuid(0x75B22630, 0x668E, 0x11CF, 0xA6D900AA0062CE6CULL);
constexpr AsfGuid kAsfFilePropertiesGuid = MakeAsfGuid(0x8CABDCA1, 0xA947, 0x11CF, 0x8EE400C00C205365ULL);
constexpr AsfGuid kAsfStreamPropertiesGuid = MakeAsfGuid(0xB7DC0791, 0xA9B7, 0x11CF, 0x8EE600C00C205365ULL);
constexpr AsfGuid kAsfContentDescriptionGuid = MakeAsfGuid(0x75B22633, 0x668E, 0x11CF, 0xA6D900AA0062CE6CULL);
constexpr AsfGuid kAsfExtendedContentGuid = MakeAsfGuid(0xD2D0A440, 0xE307, 0x11D2, 0x97F000A0C95EA850ULL);
constexpr AsfGuid kAsfHeaderExtensionGuid = MakeAsfGuid(0x5FBF03B5, 0xA92E, 0x11CF, 0x8EE300C00C205365ULL);
constexpr AsfGuid kAsfMetadataGuid = MakeAsfGuid(0xC5F8CBEA, 0x5BAF, 0x4877, 0x8467AA8C44FA4CCAULL);
constexpr AsfGuid kAsfMetadataLibraryGuid = MakeAsfGuid(0x44231C94, 0x9498, 0x49D1, 0xA1411D134E457054ULL);
