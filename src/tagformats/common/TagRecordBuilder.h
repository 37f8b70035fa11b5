// Builds a tag record from the named values a reader finds, whatever the format: the first
// value of each of the seven fields goes to the field, every other value and field to the
// extras under its neutral key. Shared by every reader so that all sources follow one rule.
#pragma once

#include <string>

#include <vector>

#include "tagformats/common/TagFieldNames.h"
#include "tags/Timerec.h"

class TagRecordBuilder {
 public:
  // `key` is a neutral key (see TagFieldNames). Values are trimmed of spaces and control
  // characters at both ends; empty ones are dropped. "3/12" under TRACKNUMBER or DISCNUMBER
  // gives the number and its total; a genre given by reference ("(17)", "17", "(RX)(CR)")
  // gives one name per reference. Fields about the source's own encoding are dropped.
  // A value passed as a temporary is kept without a copy.
  void Add(const std::string& key, std::string value);
  void AddPicture(TagPicture picture);
  // True once the key has a value (for readers that let one frame stand in for another).
  bool Has(const std::string& key) const;

  // The record. DESCRIPTION stands in for a missing COMMENT and YEAR for a missing DATE, as
  // some writers name them so.
  // Hands the record over; the builder is empty afterwards.
  Timerec Finish();

 private:
  void AddOne(const std::string& key, std::string value);

  Timerec record_;
};

// The values a record holds under a neutral key: for one of the seven fields the field itself
// followed by the further values in the extras, for any other key the extras' values.
std::vector<std::string> RecordValues(const Timerec& record, const std::string& key);

// The keys of the extras that no format names (fields kept under their own names), each once,
// in order; writers put them where their format keeps free-form fields.
std::vector<std::string> UnmappedKeys(const TagExtras& extras);

// The seven fields' member for a neutral key; null for any other key.
std::string Timerec::*SevenFieldMember(const std::string& key);

// The track or disc number and its total, whichever way the record holds them ("3/12" in the
// field, or the number with the total in the extras).
NumberAndTotal TrackOf(const Timerec& record);
NumberAndTotal DiscOf(const Timerec& record);

// Trims spaces and control characters at both ends, as every reader does with values.
std::string TrimTagValue(std::string text);
