#include "tagformats/flac/FlacModule.h"

#include <taglib/flacfile.h>
#include <taglib/xiphcomment.h>

#include "tagformats/common/TagLibFileAccess.h"
#include "tagformats/generic/GenericTagReader.h"
#include "tagformats/xiph/XiphRecord.h"

Timerec FlacModule::Read(const std::string& path) const { return GenericTagReader().Read(path); }

void FlacModule::Write(const std::string& path, const Timerec& record) const {
  CheckTagFileReadable(path);
  TagLib::FLAC::File file(path.c_str(), false);
  CheckTagFileValid(file, path, "FLAC");
  ReplaceXiphFields(*file.xiphComment(true), record);
  // Pictures go in PICTURE blocks, where FLAC readers look for them.
  file.xiphComment()->removeAllPictures();
  file.removePictures();
  for (const TagPicture& picture : record.extras.pictures) file.addPicture(NewFlacPicture(picture));
  SaveTagFile(file, path);
}
