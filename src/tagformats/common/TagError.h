// Error raised by a tag reader or writer; its text is shown to the user as it stands.
#pragma once

#include <stdexcept>
#include <string>

class TagError : public std::runtime_error {
 public:
  explicit TagError(const std::string& message) : std::runtime_error(message) {}
};
