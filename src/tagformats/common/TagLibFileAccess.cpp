#include "tagformats/common/TagLibFileAccess.h"

#include <sys/stat.h>
#include <unistd.h>

#include <taglib/tfile.h>

#include "tagformats/common/TagError.h"

void CheckTagFileReadable(const std::string& path) {
  struct stat info {};
  // Only regular files: a FIFO would block the read and a device never end.
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || ::access(path.c_str(), R_OK) != 0)
    throw TagError("Cannot open file " + path);
}

void CheckTagFileValid(const TagLib::File& file, const std::string& path, const char* kind) {
  if (!file.isValid()) throw TagError("Cannot open " + path + ": not a readable " + kind + " file");
}

void SaveTagFile(TagLib::File& file, const std::string& path) {
  if (file.readOnly()) throw TagError("Cannot write tags to " + path + ": the file is read-only");
  if (!file.save()) throw TagError("Cannot write tags to " + path);
}
