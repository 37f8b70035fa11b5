// Gathers the record's fields from the frames of one ID3v2 tag, whatever its version.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "tags/Timerec.h"

class ID3v2FrameCollector {
 public:
  // True for the frame ids (four-letter or version 2.2 three-letter) that carry a field.
  bool Wants(const std::string& id) const;
  // Takes a frame's content (encoding byte first); a text keeps its first 249 characters, a
  // comment its first 245. Later frames replace earlier ones.
  void Take(const std::string& id, const uint8_t* content, size_t size);
  // The fields as UTF-8, trimmed; the year from "TDRC" when no "TYER" was seen.
  Timerec Finish() const;

 private:
  void TakeComment(const uint8_t* content, size_t size);

  Timerec fields_;
  std::string recordingTime_;
  bool hasYearFrame_ = false;
  bool hasPlainComment_ = false;
};
