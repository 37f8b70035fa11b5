#include "app/NamePattern.h"

#include <strings.h>

#include <cctype>
#include <vector>

#include "app/TagFieldLookup.h"

namespace {

constexpr size_t kTrackDigits = 2;

bool IsFieldNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
}

// The position of the '%' that closes a %field% opened at `at`; npos when no field starts there.
size_t FieldEnd(const std::string& pattern, size_t at) {
  if (pattern[at] != '%') return std::string::npos;
  const size_t end = pattern.find('%', at + 1);
  if (end == std::string::npos || end == at + 1) return std::string::npos;
  for (size_t k = at + 1; k < end; ++k)
    if (!IsFieldNameChar(pattern[k])) return std::string::npos;
  return end;
}

// "3" and "3/12" become "03"; text that does not start with a number stays as it is.
std::string PaddedTrack(const std::string& track) {
  size_t digits = 0;
  while (digits < track.size() && std::isdigit(static_cast<unsigned char>(track[digits])))
    ++digits;
  if (digits == 0) return track;
  std::string number = track.substr(0, digits);
  if (number.size() < kTrackDigits) number.insert(0, kTrackDigits - number.size(), '0');
  return number;
}

// A value must never make a folder of its own or end the name early.
std::string FlattenedValue(std::string value) {
  for (char& c : value)
    if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '_';
  return value;
}

std::string FieldValue(const std::string& name, const Timerec& tags,
                       const std::string& sourceStem) {
  std::string value = TagFieldByName(tags, name);
  if (strcasecmp(name.c_str(), "track") == 0) value = PaddedTrack(value);
  return FlattenedValue(value.empty() ? sourceStem : value);
}

// Cuts to at most `maxBytes` without splitting a UTF-8 sequence.
std::string CutOnCharacter(const std::string& text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  size_t cut = maxBytes;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut);
}

void TrimTrailingBlanksAndDots(std::string& text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '.')) text.pop_back();
}

// The pattern split at its own '/' with every field filled in.
std::vector<std::string> ExpandedParts(const std::string& pattern, const Timerec& tags,
                                       const std::string& sourceStem) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    const size_t end = FieldEnd(pattern, i);
    if (end != std::string::npos) {
      parts.back() += FieldValue(pattern.substr(i + 1, end - i - 1), tags, sourceStem);
      i = end;
    } else if (c == '/') {
      parts.emplace_back();
    } else {
      parts.back() += FlattenedValue(std::string(1, c));
    }
  }
  return parts;
}

}  // namespace

std::string SafeNamePart(const std::string& text, size_t maxBytes) {
  std::string part = FlattenedValue(text);
  for (char& c : part) {
    if (c != '.') break;
    c = '_';
  }
  TrimTrailingBlanksAndDots(part);
  part = CutOnCharacter(part, maxBytes);
  TrimTrailingBlanksAndDots(part);  // the cut may end on a blank
  return part.empty() ? "_" : part;
}

std::string ExpandNamePattern(const std::string& pattern, const Timerec& tags,
                              const std::string& sourceStem, size_t lastPartBytes) {
  std::vector<std::string> parts = ExpandedParts(pattern, tags, sourceStem);
  std::string path;
  for (size_t i = 0; i < parts.size(); ++i) {
    const bool last = i + 1 == parts.size();
    if (parts[i].empty() && !last) continue;  // "a//b" and a leading '/' make no empty folder
    if (!path.empty()) path += '/';
    path += SafeNamePart(last && parts[i].empty() ? sourceStem : parts[i],
                         last ? lastPartBytes : kMaxNameBytes);
  }
  return path;
}

std::optional<std::string> NamePatternProblem(const std::string& pattern) {
  std::string part;
  for (size_t i = 0; i <= pattern.size(); ++i) {
    if (i == pattern.size() || pattern[i] == '/') {
      if (part == "." || part == "..")
        return "The name pattern has a folder \"" + part + "\", which would not be a folder below the "
               "output folder.";
      part.clear();
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(pattern[i]);
    if (c < 0x20 || c == 0x7f) return "The name pattern holds a control character.";
    const size_t end = FieldEnd(pattern, i);
    // "100%" is text; "%title" without its closing '%' is a field gone wrong.
    if (c == '%' && end == std::string::npos && i + 1 < pattern.size() && IsFieldNameChar(pattern[i + 1]))
      return "The field that starts at character " + std::to_string(i + 1) +
             " of the name pattern is not closed: a field is a name such as %title% or %track%, "
             "letters, digits, '_' or '-' between two '%'.";
    part += end == std::string::npos ? pattern.substr(i, 1) : "%";
    if (end != std::string::npos) i = end;
  }
  return std::nullopt;
}
