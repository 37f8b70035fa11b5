// WMA tags: the descriptive attributes of an ASF file, read through the attribute layer, or by
// walking the file's header when the layer cannot open the file; written by our own header
// writer, which stores them as the layer would.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "tagformats/common/TagModule.h"
#include "tagformats/wma/WmaAudioInfo.h"

class ByteSource;

// What a reading found: whether the file had a tag source at all, the record, and the
// copyright text that only the header walk yields.
struct WmaTags {
  bool found = false;
  Timerec record;
  std::string copyright;
};

// Opens a file in the attribute layer; null stands for a layer that cannot open it.
using WmaAudioInfoOpener = std::unique_ptr<WmaAudioInfo> (*)(const std::string& fileName,
                                                             WmaAudioInfo::Mode mode);

class WmaModule : public TagModule {
 public:
  // A null opener stands for an attribute layer that is not available: reading then walks
  // the header, writing fails.
  explicit WmaModule(WmaAudioInfoOpener opener = &WmaAudioInfo::Open) : opener_(opener) {}

  Timerec Read(const std::string& path) const override { return ReadTags(path).record; }
  void Write(const std::string& path, const Timerec& record) const override;
  bool CopiesImages() const override { return true; }
  void WriteCopyingImages(const std::string& path, const Timerec& record, const ImageCopier& images) const override;

  WmaTags ReadTags(const std::string& path) const;
  // The header walk alone, over any bytes.
  static WmaTags ReadTagsFromHeader(ByteSource& source);
  // The calls that store a record through a writer of attributes; the record's pictures must
  // outlive the writer's Close.
  static void PutRecord(WmaAttributeSink& info, const Timerec& record);

 private:
  bool ReadThroughAttributeLayer(const std::string& path, WmaTags& out) const;
  void WriteWith(const std::string& path, const Timerec& record, const ImageCopier* images) const;

  WmaAudioInfoOpener opener_;
};
