#include "app/UserDirs.h"

#include <cstdlib>
#include <sstream>

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The value of a shell word: double-quoted with backslash escapes, or bare up to a blank.
std::string Unquote(const std::string& word) {
  if (word.empty() || word[0] != '"') return word.substr(0, word.find_first_of(" \t\r#"));
  std::string value;
  for (size_t i = 1; i < word.size() && word[i] != '"'; ++i) {
    if (word[i] == '\\' && i + 1 < word.size()) ++i;
    value += word[i];
  }
  return value;
}

std::optional<std::string> WithHome(const std::string& value, const std::string& home) {
  for (const char* variable : {"$HOME", "${HOME}"}) {
    const std::string prefix = variable;
    if (value.compare(0, prefix.size(), prefix) != 0) continue;
    std::string rest = value.substr(prefix.size());
    if (rest.find_first_not_of('/') == std::string::npos) return std::nullopt;  // home itself
    if (rest[0] != '/') return std::nullopt;  // $HOMEWORK is another variable
    return home + rest;
  }
  if (!value.empty() && value[0] == '/' && value.find_first_not_of('/') != std::string::npos)
    return value;
  return std::nullopt;
}

}  // namespace

std::string UserDirsFilePath() {
  std::string config = Environment("XDG_CONFIG_HOME");
  if (config.empty() || config[0] != '/') config = Environment("HOME") + "/.config";
  return config + "/user-dirs.dirs";
}

std::optional<std::string> UserDirFromText(const std::string& text, const std::string& name,
                                           const std::string& home) {
  std::optional<std::string> folder;
  std::istringstream lines(text);
  std::string line;
  const std::string assignment = name + "=";
  while (std::getline(lines, line)) {
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, assignment.size(), assignment) != 0)
      continue;
    folder = WithHome(Unquote(line.substr(start + assignment.size())), home);
  }
  return folder;
}
