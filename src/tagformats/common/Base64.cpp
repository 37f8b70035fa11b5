#include "tagformats/common/Base64.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int ValueOf(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::string EncodeBase64(const std::vector<uint8_t>& bytes) {
  // Pictures make this text hundreds of kilobytes long: it is filled in place.
  std::string text((bytes.size() + 2) / 3 * 4, '=');
  char* out = &text[0];
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3, out += 4) {
    const uint32_t group = uint32_t{bytes[i]} << 16 | uint32_t{bytes[i + 1]} << 8 | bytes[i + 2];
    out[0] = kAlphabet[group >> 18 & 63];
    out[1] = kAlphabet[group >> 12 & 63];
    out[2] = kAlphabet[group >> 6 & 63];
    out[3] = kAlphabet[group & 63];
  }
  if (i < bytes.size()) {  // one or two bytes left: the rest stays '='
    const bool two = i + 1 < bytes.size();
    const uint32_t group = uint32_t{bytes[i]} << 16 | (two ? uint32_t{bytes[i + 1]} << 8 : 0);
    out[0] = kAlphabet[group >> 18 & 63];
    out[1] = kAlphabet[group >> 12 & 63];
    if (two) out[2] = kAlphabet[group >> 6 & 63];
  }
  return text;
}

std::optional<std::vector<uint8_t>> DecodeBase64(const std::string& text) {
  std::vector<uint8_t> bytes;
  bytes.reserve(text.size() / 4 * 3);
  uint32_t group = 0;
  int bits = 0;
  bool ended = false;
  for (char c : text) {
    if (c == '\r' || c == '\n' || c == ' ') continue;
    if (c == '=') {
      ended = true;
      continue;
    }
    const int value = ValueOf(c);
    if (value < 0 || ended) return std::nullopt;
    group = group << 6 | static_cast<uint32_t>(value);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes.push_back(static_cast<uint8_t>(group >> bits));
    }
  }
  if (bits >= 6) return std::nullopt;  // a lone character cannot hold a byte
  return bytes;
}
