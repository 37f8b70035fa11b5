#include "engines/EmptiedOutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
}

#include "base/FileDescriptor.h"

namespace {

bool HoldsBytes(const struct stat& info) { return S_ISREG(info.st_mode) && info.st_size > 0; }

// For a writer that opens the path itself and is told not to truncate; true when nothing had
// to be done or it was done.
bool EmptyIfNotEmpty(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return errno == ENOENT;  // the writer creates it
  return !HoldsBytes(info) || ::truncate(path.c_str(), 0) == 0;
}

}  // namespace

std::FILE* OpenEmptiedOutput(const std::string& path, bool alsoRead) {
  FileDescriptor fd(::open(path.c_str(), (alsoRead ? O_RDWR : O_WRONLY) | O_CREAT | O_CLOEXEC, 0666));
  struct stat info {};
  if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || (HoldsBytes(info) && ::ftruncate(fd.get(), 0) != 0))
    return nullptr;
  std::FILE* stream = ::fdopen(fd.get(), alsoRead ? "w+b" : "wb");  // neither mode truncates a descriptor
  if (stream != nullptr) fd.release();
  return stream;
}

int OpenEmptiedAvioOutput(AVIOContext** output, const std::string& path) {
  if (!EmptyIfNotEmpty(path)) return AVERROR(errno);
  AVDictionary* options = nullptr;
  av_dict_set(&options, "truncate", "0", 0);  // FFmpeg's file protocol would open with O_TRUNC
  const int result = avio_open2(output, path.c_str(), AVIO_FLAG_WRITE, nullptr, &options);
  av_dict_free(&options);
  return result;
}
