// Gathers a tag record from the frames of one ID3v2 tag, whatever its version: the seven
// fields, every other text frame (user-defined ones under their description), lyrics, the
// MusicBrainz recording id and the pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tagformats/common/TagRecordBuilder.h"
#include "tags/Timerec.h"

class ID3v2FrameCollector {
 public:
  // True for the frame ids (four-letter or version 2.2 three-letter) that carry something the
  // record keeps.
  bool Wants(const std::string& id) const;
  // Takes a frame's content (encoding byte first), whole. Frames with several values
  // (version 2.4 separates them by zero characters) give several values.
  void Take(const std::string& id, std::vector<uint8_t> content);
  static bool IsPicture(std::string_view id) { return id == "APIC" || id == "PIC"; }
  // Takes the first bytes of a picture frame's content, which lies unchanged at `offset` in the
  // source and is `size` bytes long: the picture gets the place of its image instead of the
  // image. False when the head ends before the image; the frame must then be taken whole.
  bool TakePictureHead(const std::string& id, const std::vector<uint8_t>& head, uint64_t offset, uint64_t size);
  // The record as UTF-8, values trimmed. The date is "TYER" completed by "TDAT" and "TIME"
  // ("2004-05-06T12:30"), else "TDRC" as it stands; the first comment without a description
  // is the comment.
  Timerec Finish();

 private:
  void TakeComment(const uint8_t* content, size_t size);
  void TakeUserText(const uint8_t* content, size_t size);
  void TakeLyrics(const uint8_t* content, size_t size);
  void TakeUniqueFileId(const uint8_t* content, size_t size);
  void TakePicture(const std::string& id, std::vector<uint8_t> content);
  void TakeText(const std::string& id, std::vector<std::string> values);
  // Wants, for an id already brought to its version 2.3 and 2.4 form.
  static bool WantsFrame(std::string_view id, std::string_view rawId);

  TagRecordBuilder builder_;
  std::string year_, dayMonth_, time_, recordingTime_, originalYear_, originalTime_;
  std::vector<std::string> plainComments_, describedComments_;
};

// The version 2.3 id of a version 2.2 frame id ("TT2" → "TIT2"); the id itself otherwise.
std::string ID3v2CurrentFrameId(const std::string& id);
