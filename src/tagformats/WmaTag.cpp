#include "tagformats/WmaTag.h"

#include <algorithm>
#include <cstring>

WMATagInfo current_wma_tag{};

void SetWmaField(char* field, size_t capacity, const std::string& text) {
  std::memset(field, 0, capacity);
  std::memcpy(field, text.data(), std::min(text.size(), capacity - 1));
}
std::string WmaFieldText(const char* field, size_t capacity) {
  return std::string(field, strnlen(field, capacity));
}
bool WriteWMATag(const std::string&, const WMATagInfo&) { return false; }
void ReadWMATag(const std::string&, WMATagInfo& out) { out = WMATagInfo{}; }
