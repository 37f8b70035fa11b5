// What every writable tag format offers: read a file's tags into a record, write a record
// into a file. A module holds no state between calls, so different files may be handled on
// different threads at once.
#pragma once

#include <string>

#include "tagformats/common/ImageCopier.h"
#include "tagformats/common/TagReader.h"

class TagModule : public TagReader {
 public:
  // Replaces the file's tags with the record's fields. Throws TagError with the reason when
  // the tags could not be stored; the file then keeps its old content.
  virtual void Write(const std::string& path, const Timerec& record) const = 0;

  // Whether the module can write a record whose images are left in their sources; the others
  // must be given records with every image loaded.
  virtual bool CopiesImages() const { return false; }
  // The same as Write, the images left in their sources put into the file by `images`. A
  // module that does not copy images is given records with every image loaded, and just writes.
  virtual void WriteCopyingImages(const std::string& path, const Timerec& record, const ImageCopier& images) const {
    (void)images;
    Write(path, record);
  }
};
