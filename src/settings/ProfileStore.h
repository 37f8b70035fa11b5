// The content of one INI file, parsed and updated the way the classic Windows profile API does
// it, while every byte we do not change survives.
//
// Parsing rules:
// - A line ends at CR LF, at a lone LF or at a lone CR, whichever the file uses (old editors on
//   other systems wrote CR alone). A UTF-8 byte-order mark at the very start is kept aside and
//   not part of the first line.
// - After leading blanks, "[" up to the last "]" is a section header; its name is trimmed.
// - A line starting with ";" is a comment; any other line with "=" is a key line: the trimmed
//   text before the first "=" is the key, the trimmed text after it the value.
// - Anything else (blank lines, junk, a "[" without "]", key lines before the first section)
//   is kept but never matched.
// - Section and key names compare without regard to ASCII letter case. Only the first section
//   of a given name counts, and in it only the first key of a given name.
//
// Updating: a rewritten key keeps its line, its line ending and the spelling of its name; a
// new key goes right after the last key line of its section (after the header when there is
// none); a new section goes to the end of the file. New lines take the file's dominant line
// ending (the most frequent of LF, CR LF and CR; LF on a tie with it, or when there is none).
// Nothing is ever removed.
#pragma once

#include <optional>
#include <string>
#include <vector>

class ProfileStore {
 public:
  ProfileStore() = default;
  explicit ProfileStore(const std::string& fileContent);

  // The key's value with surrounding blanks removed, or nothing when section or key is absent.
  // The names are trimmed before they are compared.
  std::optional<std::string> Lookup(const std::string& section, const std::string& key) const;

  // Stores `value` under section/key. Returns false when the stored text was already exactly
  // that, so the caller can skip rewriting the file. Line breaks cannot be stored in a one-line
  // format: names and value are cut at the first CR, LF or NUL.
  bool Set(const std::string& section, const std::string& key, const std::string& value);

  std::string Serialise() const;

 private:
  enum class LineKind { kOther, kSection, kKey };
  struct Line {
    std::string text;    // without its line ending
    std::string ending;  // "\n", "\r\n", "\r", or "" for a last line without one
    LineKind kind = LineKind::kOther;
    std::string name;   // section or key name, trimmed
    std::string value;  // key value, trimmed
  };

  static Line MakeLine(std::string text, std::string ending);
  std::optional<size_t> FindSection(const std::string& section) const;
  size_t SectionEnd(size_t header) const;  // index of the next header, or lines_.size()
  std::optional<size_t> FindKey(size_t header, const std::string& key) const;
  void InsertLine(size_t position, const std::string& text);
  const char* NewLineEnding() const;

  std::string byteOrderMark_;
  std::vector<Line> lines_;
  const char* newLineEnding_ = "\n";
};
