// How much a piece of work raised the process's peak resident memory, for checks that a
// reader streams past large data instead of holding it.
#pragma once

#include <fstream>
#include <optional>
#include <string>

namespace tagtest {

inline std::optional<long> StatusKilobytes(const std::string& key) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(key + ":", 0) == 0) return std::stol(line.substr(key.size() + 1));
  }
  return std::nullopt;
}

// The peak's growth in kilobytes while `work` ran; nullopt where the peak cannot be reset.
// Also nullopt under AddressSanitizer, whose quarantine keeps freed blocks resident, so the
// peak says nothing about what the reader holds.
template <typename Work>
std::optional<long> PeakGrowthKilobytes(Work work) {
#if defined(__SANITIZE_ADDRESS__)
  work();
  return std::nullopt;
#endif
  {
    std::ofstream reset("/proc/self/clear_refs");
    reset << "5";
    if (!reset.flush()) return std::nullopt;
  }
  const std::optional<long> before = StatusKilobytes("VmHWM");
  work();
  const std::optional<long> after = StatusKilobytes("VmHWM");
  if (!before || !after) return std::nullopt;
  return *after - *before;
}

}  // namespace tagtest
