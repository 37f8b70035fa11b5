// The one error type of the audio engine: its text says what failed and for which file.
#pragma once

#include <stdexcept>
#include <string>

class EngineError : public std::runtime_error {
 public:
  explicit EngineError(const std::string& message) : std::runtime_error(message) {}
};
