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

namespace {

bool HoldsBytes(const struct stat& info) { return S_ISREG(info.st_mode) && info.st_size > 0; }

}  // namespace

std::FILE* OpenEmptiedOutput(const std::string& path, bool alsoRead) {
  const int fd = ::open(path.c_str(), (alsoRead ? O_RDWR : O_WRONLY) | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat info {};
  std::FILE* stream = nullptr;
  if (::fstat(fd, &info) == 0 && (!HoldsBytes(info) || ::ftruncate(fd, 0) == 0))
    stream = ::fdopen(fd, alsoRead ? "w+b" : "wb");  // neither mode truncates an open descriptor
  if (stream != nullptr) return stream;
  const int error = errno;
  ::close(fd);
  errno = error;
  return nullptr;
}

bool EmptyOutputIfNotEmpty(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return errno == ENOENT;  // the writer creates it
  return !HoldsBytes(info) || ::truncate(path.c_str(), 0) == 0;
}

int OpenEmptiedAvioOutput(AVIOContext** output, const std::string& path) {
  if (!EmptyOutputIfNotEmpty(path)) return AVERROR(errno);
  AVDictionary* options = nullptr;
  av_dict_set(&options, "truncate", "0", 0);  // FFmpeg's file protocol would open with O_TRUNC
  const int result = avio_open2(output, path.c_str(), AVIO_FLAG_WRITE, nullptr, &options);
  av_dict_free(&options);
  return result;
}
