// The WMA attributes the module knows by name, and what a writer of them offers: the TagLib
// attribute layer and our own header writer both take the same calls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <utility>

#include "tags/TagExtras.h"

// The attribute names the module knows, in table order.
enum class WmaAttribute {
  Duration, Bitrate, Seekable, Broadcast, IsProtected, IsTrusted, SignatureName, Title, Author,
  Description, Rating, Copyright, UseDrm, DrmFlags, DrmLevel, AlbumTitle, Track, PromotionUrl,
  AlbumCoverUrl, Genre, Year, TrackNumber,
};
constexpr size_t kWmaAttributeCount = 22;

const std::array<std::string, kWmaAttributeCount>& WmaAttributeNames();
const std::string& WmaAttributeName(WmaAttribute attribute);

// Properties of the stream, which no tag writer may set.
bool IsWmaStreamProperty(WmaAttribute attribute);
// The texts of the content description object, where every reader looks.
bool IsWmaContentDescription(WmaAttribute attribute);

class WmaAttributeSink {
 public:
  virtual ~WmaAttributeSink() = default;
  // Kept until Close. False for stream properties, which cannot be set.
  virtual bool SetText(WmaAttribute attribute, const std::string& utf8) = 0;
  virtual bool SetNumber(WmaAttribute attribute, uint32_t value) = 0;
  virtual void Remove(WmaAttribute attribute) = 0;
  // One more text attribute of any name, beside those of that name set or added since opening;
  // the values the file held under that name go, so that a file tagged again (its album gain
  // added) holds each value once.
  virtual void AddText(const std::string& name, const std::string& utf8) = 0;
  // One more picture, in the same way.
  virtual void AddPicture(const TagPicture& picture) = 0;
  // Stores the changes made since opening; nothing to store is success.
  virtual bool Close() = 0;

 protected:
  // A name the file held values under when it was opened; the sink notes each as it opens.
  void NoteHeldName(std::string name) { held_.insert(std::move(name)); }
  // True the first time this sink writes `name` while the file still holds the values it had
  // under it when opened: those are to go before the new ones.
  bool TakeOverHeldValues(const std::string& name) { return held_.erase(name) != 0; }

 private:
  std::set<std::string> held_;
};
