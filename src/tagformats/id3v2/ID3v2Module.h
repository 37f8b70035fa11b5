// MP3 tags: an ID3v2.3 tag written in front of the file; read from ID3v2 (2.2 to 2.4), or from
// an APEv2 tag when there is no ID3v2 tag, with the fields left empty filled from an ID3v1 tag
// at the end of the file.
#pragma once

#include "tagformats/common/TagModule.h"
#include "tagformats/id3v2/ID3v2Parser.h"

class ID3v2Module : public TagModule {
 public:
  Timerec Read(const std::string& path) const override;
  Timerec ReadLeavingImages(const std::string& path) const override;
  void Write(const std::string& path, const Timerec& record) const override;
  bool CopiesImages() const override { return true; }
  void WriteCopyingImages(const std::string& path, const Timerec& record, const ImageCopier& images) const override;

 private:
  static Timerec ReadFile(const std::string& path, PictureImages images);
};
