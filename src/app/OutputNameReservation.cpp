#include "app/OutputNameReservation.h"

#include <filesystem>
#include <system_error>

bool OutputNameReservation::IsTaken(const std::string& path) const {
  if (held_.count(path) != 0) return true;
  std::error_code error;
  return std::filesystem::exists(path, error);
}
