#include "base/LineBreaks.h"

std::string LineBreaksAsLf(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '\r') {
      out.push_back(text[at]);
    } else if (at + 1 >= text.size() || text[at + 1] != '\n') {
      out.push_back('\n');
    }
  }
  return out;
}
