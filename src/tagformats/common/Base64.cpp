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
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t left = bytes.size() - i;
    uint32_t group = uint32_t{bytes[i]} << 16;
    if (left > 1) group |= uint32_t{bytes[i + 1]} << 8;
    if (left > 2) group |= bytes[i + 2];
    text += kAlphabet[group >> 18 & 63];
    text += kAlphabet[group >> 12 & 63];
    text += left > 1 ? kAlphabet[group >> 6 & 63] : '=';
    text += left > 2 ? kAlphabet[group & 63] : '=';
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
