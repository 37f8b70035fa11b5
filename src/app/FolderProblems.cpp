#include "app/FolderProblems.h"

namespace {

constexpr size_t kKeptLines = 30;

std::string Counted(size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// A reason may span lines (an engine's own text); a listed file keeps to one.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

}  // namespace

void FolderProblems::Unreadable(const std::string& path, const std::string& reason) {
  ++unreadable_;
  Keep(path + ": " + OneLine(reason));
}

void FolderProblems::LeftOut(const std::string& path, const std::string& reason) {
  ++leftOut_;
  Keep(path + ": left out, " + OneLine(reason));
}

void FolderProblems::Keep(std::string line) {
  if (lines_.size() < kKeptLines) lines_.push_back(std::move(line));
}

std::string FolderProblems::Message() const {
  std::string text;
  if (unreadable_ > 0)
    text = Counted(unreadable_, "file", "files") + " in the added folders could not be read";
  if (leftOut_ > 0)
    text += (text.empty() ? "" : "; ") + Counted(leftOut_, "folder or link was", "folders or links were") +
            " left out";
  text += ":";
  for (const std::string& line : lines_) text += "\n" + line;
  const size_t more = unreadable_ + leftOut_ - lines_.size();
  if (more > 0) text += "\n... and " + std::to_string(more) + " more";
  return text;
}
