#include "tagformats/vorbis/VorbisFileIO.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool ProductFits(size_t size, size_t count) {
  return size != 0 && count != 0 && count <= std::numeric_limits<size_t>::max() / size;
}

// song.ogg → song.temp; a name without extension gets ".temp" added.
std::string TempStem(const std::string& target) {
  size_t slash = target.find_last_of('/');
  size_t dot = target.find_last_of('.');
  bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  return hasExtension ? target.substr(0, dot) : target;
}

constexpr int kMaxTempAttempts = 1000;

}  // namespace

size_t VorbisFileRead(void* buffer, size_t size, size_t count, void* handle) {
  FILE* file = handle ? *static_cast<FILE**>(handle) : nullptr;
  if (!file || !ProductFits(size, count)) return 0;
  size_t got = fread(buffer, 1, size * count, file);
  if (ferror(file)) return 0;
  return got / size;
}

size_t VorbisFileWrite(void* buffer, size_t size, size_t count, void* handle) {
  FILE* file = handle ? *static_cast<FILE**>(handle) : nullptr;
  if (!file || !ProductFits(size, count)) return 0;
  size_t put = fwrite(buffer, 1, size * count, file);
  if (ferror(file)) return 0;
  return put / size;
}

VorbisTempFile::VorbisTempFile(const std::string& target) : target_(target) {
  const std::string stem = TempStem(target);
  for (int attempt = 0; attempt < kMaxTempAttempts; ++attempt) {
    std::string candidate = stem + (attempt ? "." + std::to_string(attempt) : "") + ".temp";
    int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      path_ = candidate;
      return;
    }
    file_ = fdopen(fd, "wb");
    if (!file_) {
      close(fd);
      unlink(candidate.c_str());
      return;
    }
    path_ = candidate;
    created_ = true;
    return;
  }
  path_ = stem + ".temp";
}

VorbisTempFile::~VorbisTempFile() {
  if (file_) fclose(file_);
  if (created_ && !placed_) unlink(path_.c_str());
}

bool VorbisTempFile::Finish(mode_t mode) {
  if (!file_) return false;
  bool ok = fflush(file_) == 0 && fsync(fileno(file_)) == 0 && fchmod(fileno(file_), mode & 07777) == 0;
  int savedErrno = errno;
  ok = fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (!ok && savedErrno) errno = savedErrno;
  return ok;
}

bool VorbisTempFile::MoveOverTarget() {
  if (file_ || !created_ || placed_) return false;
  placed_ = rename(path_.c_str(), target_.c_str()) == 0;
  return placed_;
}
