// Writes the descriptive attributes of an ASF file by rebuilding its header object in memory and
// putting it in place of the old one, the rest of the file moved along in place. Each picture is
// read from the caller's record when the header is built and written once; an image left in its
// source is copied from there into the file by the caller's image copier.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/FileDescriptor.h"
#include "tagformats/common/ImageCopier.h"
#include "tagformats/wma/AsfHeaderModel.h"
#include "tagformats/wma/WmaAttributeSink.h"

class AsfTagWriter : public WmaAttributeSink {
 public:
  // Null when the file cannot be opened for writing or its header is not a whole ASF header.
  static std::unique_ptr<AsfTagWriter> Open(const std::string& fileName);

  bool SetText(WmaAttribute attribute, const std::string& utf8) override;
  bool SetNumber(WmaAttribute attribute, uint32_t value) override;
  void Remove(WmaAttribute attribute) override;
  void AddText(const std::string& name, const std::string& utf8) override;
  // The picture must outlive Close.
  void AddPicture(const TagPicture& picture) override;
  // Gives the images that pictures leave in their sources; without it (null) such a picture
  // makes Close fail. The copier must outlive Close.
  void SetImageCopier(const ImageCopier* copier) { copier_ = copier; }
  bool Close() override;

 private:
  AsfTagWriter(FileDescriptor file, AsfHeaderModel header, uint64_t headerSize, uint64_t fileSize);
  std::vector<AsfValue>& ValuesToAddTo(const std::string& name);

  FileDescriptor file_;
  AsfHeaderModel header_;
  uint64_t headerSize_;
  uint64_t fileSize_;
  bool modified_ = false;
  const ImageCopier* copier_ = nullptr;
};
