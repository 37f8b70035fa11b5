#include "settings/ProfileStore.h"

namespace {

const char kUtf8Bom[] = "\xEF\xBB\xBF";
const char kLf[] = "\n";
const char kCrLf[] = "\r\n";
const char kCr[] = "\r";

// The line ending that starts at `at`, a CR or an LF: CR LF, or the lone character.
std::string LineEndingAt(const std::string& text, size_t at) {
  if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') return kCrLf;
  return text[at] == '\r' ? kCr : kLf;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

std::string CutAtLineBreak(const std::string& text) {
  return text.substr(0, text.find_first_of(std::string("\r\n\0", 3)));
}

// Names as the profile API sees them: trimmed, and one line at most.
std::string NormaliseName(const std::string& name) { return Trim(CutAtLineBreak(name)); }

}  // namespace

ProfileStore::ProfileStore(const std::string& fileContent) {
  size_t pos = 0;
  if (fileContent.compare(0, 3, kUtf8Bom) == 0) {
    byteOrderMark_ = kUtf8Bom;
    pos = 3;
  }
  size_t lfCount = 0;
  size_t crlfCount = 0;
  size_t crCount = 0;
  while (pos < fileContent.size()) {
    size_t end = fileContent.find_first_of("\r\n", pos);
    if (end == std::string::npos) {
      lines_.push_back(MakeLine(fileContent.substr(pos), ""));
      break;
    }
    std::string ending = LineEndingAt(fileContent, end);
    lines_.push_back(MakeLine(fileContent.substr(pos, end - pos), ending));
    ++(ending == kLf ? lfCount : ending == kCrLf ? crlfCount : crCount);
    pos = end + ending.size();
  }
  if (crlfCount > lfCount && crlfCount >= crCount) newLineEnding_ = kCrLf;
  else if (crCount > lfCount && crCount > crlfCount) newLineEnding_ = kCr;
}

ProfileStore::Line ProfileStore::MakeLine(std::string text, std::string ending) {
  Line line;
  line.text = std::move(text);
  line.ending = std::move(ending);
  const std::string& t = line.text;
  size_t first = 0;
  while (first < t.size() && IsBlank(t[first])) ++first;
  if (first == t.size() || t[first] == ';') return line;
  if (t[first] == '[') {
    size_t close = t.rfind(']');
    if (close != std::string::npos && close > first) {
      line.kind = LineKind::kSection;
      line.name = Trim(t.substr(first + 1, close - first - 1));
      return line;
    }
  }
  size_t equals = t.find('=');
  if (equals == std::string::npos) return line;
  line.kind = LineKind::kKey;
  line.name = Trim(t.substr(0, equals));
  line.value = Trim(t.substr(equals + 1));
  return line;
}

std::optional<size_t> ProfileStore::FindSection(const std::string& section) const {
  for (size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == LineKind::kSection && SameName(lines_[i].name, section)) return i;
  return std::nullopt;
}

size_t ProfileStore::SectionEnd(size_t header) const {
  size_t i = header + 1;
  while (i < lines_.size() && lines_[i].kind != LineKind::kSection) ++i;
  return i;
}

std::optional<size_t> ProfileStore::FindKey(size_t header, const std::string& key) const {
  size_t end = SectionEnd(header);
  for (size_t i = header + 1; i < end; ++i)
    if (lines_[i].kind == LineKind::kKey && SameName(lines_[i].name, key)) return i;
  return std::nullopt;
}

std::optional<std::string> ProfileStore::Lookup(const std::string& section,
                                                const std::string& key) const {
  std::optional<size_t> header = FindSection(NormaliseName(section));
  if (!header) return std::nullopt;
  std::optional<size_t> line = FindKey(*header, NormaliseName(key));
  if (!line) return std::nullopt;
  return lines_[*line].value;
}

bool ProfileStore::Set(const std::string& section, const std::string& key,
                       const std::string& value) {
  const std::string sectionName = NormaliseName(section);
  const std::string keyName = NormaliseName(key);
  const std::string storedValue = CutAtLineBreak(value);

  std::optional<size_t> header = FindSection(sectionName);
  if (!header) {
    InsertLine(lines_.size(), "[" + sectionName + "]");
    InsertLine(lines_.size(), keyName + "=" + storedValue);
    return true;
  }
  if (std::optional<size_t> existing = FindKey(*header, keyName)) {
    Line& line = lines_[*existing];
    if (line.value == storedValue) return false;  // leaves the line's own spacing alone
    line = MakeLine(line.name + "=" + storedValue, line.ending);
    return true;
  }
  size_t position = *header + 1;
  for (size_t i = *header + 1, end = SectionEnd(*header); i < end; ++i)
    if (lines_[i].kind == LineKind::kKey) position = i + 1;
  InsertLine(position, keyName + "=" + storedValue);
  return true;
}

void ProfileStore::InsertLine(size_t position, const std::string& text) {
  // A last line without a line ending must get one before anything can follow it.
  if (position == lines_.size() && !lines_.empty() && lines_.back().ending.empty())
    lines_.back().ending = NewLineEnding();
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(position),
                MakeLine(text, NewLineEnding()));
}

const char* ProfileStore::NewLineEnding() const { return newLineEnding_; }

std::string ProfileStore::Serialise() const {
  size_t size = byteOrderMark_.size();
  for (const Line& line : lines_) size += line.text.size() + line.ending.size();
  std::string out;
  out.reserve(size);
  out += byteOrderMark_;
  for (const Line& line : lines_) {
    out += line.text;
    out += line.ending;
  }
  return out;
}
