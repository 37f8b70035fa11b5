#include "tagformats/opus/OpusModule.h"

#include <taglib/opusfile.h>

#include "tagformats/common/TagLibFileAccess.h"
#include "tagformats/generic/GenericTagReader.h"
#include "tagformats/xiph/XiphRecord.h"

Timerec OpusModule::Read(const std::string& path) const { return GenericTagReader().Read(path); }

void OpusModule::Write(const std::string& path, const Timerec& record) const {
  CheckTagFileReadable(path);
  TagLib::Ogg::Opus::File file(path.c_str(), false);
  CheckTagFileValid(file, path, "Opus");
  ReplaceXiphFields(*file.tag(), record);
  ReplaceXiphPictures(*file.tag(), record);
  SaveTagFile(file, path);
}
