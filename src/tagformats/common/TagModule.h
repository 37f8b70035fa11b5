// What every tag format offers: read a file's tags into a record, write a record into a file.
// A module holds no state between calls, so different files may be handled on different
// threads at once.
#pragma once

#include <string>

#include "tagformats/common/TagError.h"
#include "tags/TagTable.h"

class TagModule {
 public:
  virtual ~TagModule() = default;

  // The file's tags as UTF-8; fields the file does not carry stay empty, and a damaged tag
  // gives what could be read of it. Throws TagError with the reason when the file cannot be
  // read at all.
  virtual Timerec Read(const std::string& path) const = 0;

  // Replaces the file's tags with the record's fields. Throws TagError with the reason when
  // the tags could not be stored; the file then keeps its old content.
  virtual void Write(const std::string& path, const Timerec& record) const = 0;
};
