// Base64 (the standard alphabet with "=" padding), as Vorbis comments carry pictures.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

std::string EncodeBase64(const std::vector<uint8_t>& bytes);
// Nothing when the text holds characters outside the alphabet or is cut short; line breaks
// and spaces are passed over.
std::optional<std::vector<uint8_t>> DecodeBase64(const std::string& text);
