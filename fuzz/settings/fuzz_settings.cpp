// The settings store on arbitrary file content: parsing never fails, an untouched file is
// written back byte for byte, and a stored value is found again after a write and a re-read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/ProfileStore.h"
#include "settings/ProfileValue.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  ProfileStore store(content);
  Require(store.Serialise() == content);

  // Names and a value taken from the input itself reach the odd corners (blanks, case, '=').
  const size_t third = size / 3;
  const std::string section = content.substr(0, third % 24);
  const std::string key = content.substr(third, third % 16);
  const std::string value = content.substr(2 * third, 40);
  if (auto stored = store.Lookup(section, key)) {
    ParseProfileInteger(*stored, 7);
    CutProfileText(DecodeProfileText(*stored));
  }

  store.Set(section, key, value);
  ProfileStore reread(store.Serialise());
  auto found = reread.Lookup(section, key);
  // Names that cannot be stored as one line, or that the format cannot tell apart from other
  // lines (a key holding '=' or starting with ';' or '['), need not be found again.
  const bool plainNames = section.find_first_of("[]\r\n\0", 0, 5) == std::string::npos &&
                          key.find_first_of("=;[\r\n\0", 0, 6) == std::string::npos &&
                          section.find_first_not_of(" \t") != std::string::npos &&
                          key.find_first_not_of(" \t") != std::string::npos;
  if (plainNames) Require(found.has_value());
  return 0;
}
