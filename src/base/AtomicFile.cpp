#include "base/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// O_EXCL makes the name ours alone; the pid, a counter and a clock reading make clashes rare.
int CreateHiddenTemporaryFile(const std::string& path, mode_t mode, std::string* tempPath) {
  static std::atomic<unsigned> counter{0};
  const std::string prefix = FolderOf(path) + "/." + BaseNameOf(path) + ".tmp-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    *tempPath = prefix + std::to_string(getpid()) + "-" + std::to_string(++counter) + "-" +
                std::to_string(static_cast<unsigned long long>(ticks) % 1000000007ULL);
    int fd = open(tempPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// song.ogg → song.temp; a name without extension gets ".temp" added. Taken names are passed
// over: song.1.temp, song.2.temp, …
int CreateTempExtensionFile(const std::string& path, mode_t mode, std::string* tempPath) {
  const std::string base = BaseNameOf(path);
  const size_t dot = base.find_last_of('.');
  const std::string stem = dot != std::string::npos && dot > 0 ? path.substr(0, path.size() - (base.size() - dot)) : path;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    *tempPath = stem + (attempt ? "." + std::to_string(attempt) : "") + ".temp";
    int fd = open(tempPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

void SyncFolder(const std::string& folder) {
  FileDescriptor folderFd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folderFd.valid()) fsync(folderFd.get());  // durability of the rename only
}

}  // namespace

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

FileReadResult ReadWholeFile(const std::string& path, size_t maxBytes) {
  FileReadResult result;
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.get() < 0) {
    result.status =
        (errno == ENOENT || errno == ENOTDIR) ? FileReadStatus::kMissing : FileReadStatus::kFailed;
    return result;
  }
  result.status = FileReadStatus::kFailed;
  struct stat info {};
  if (fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return result;
  if (static_cast<unsigned long long>(info.st_size) > maxBytes) return result;
  std::string content;
  char buffer[65536];
  for (;;) {
    ssize_t n = read(file.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return result;
    if (n == 0) break;
    if (content.size() + static_cast<size_t>(n) > maxBytes) return result;  // grew meanwhile
    content.append(buffer, static_cast<size_t>(n));
  }
  result.status = FileReadStatus::kRead;
  result.content = std::move(content);
  return result;
}

bool MakeFolders(const std::string& folder) {
  struct stat info {};
  if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  if (errno != ENOENT) return false;
  std::string parent = FolderOf(folder);
  if (parent != folder && !MakeFolders(parent)) return false;
  if (mkdir(folder.c_str(), 0700) == 0) return true;
  return errno == EEXIST && stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

AtomicReplacement::AtomicReplacement(const std::string& target, mode_t createMode, TempName naming)
    : target_(target) {
  fd_ = FileDescriptor(naming == TempName::kHidden ? CreateHiddenTemporaryFile(target, createMode, &tempPath_)
                                                   : CreateTempExtensionFile(target, createMode, &tempPath_));
  created_ = fd_.valid();
}

AtomicReplacement::~AtomicReplacement() {
  fd_.Close();
  if (created_ && !placed_) unlink(tempPath_.c_str());
}

bool AtomicReplacement::Write(const void* data, size_t size) { return fd_.valid() && WriteAll(fd_.get(), data, size); }

bool AtomicReplacement::Commit(const struct stat* keep) {
  if (!fd_.valid()) return false;
  if (keep) {
    if (fchmod(fd_.get(), keep->st_mode & 07777) != 0) return false;
    if (keep->st_uid != geteuid() || keep->st_gid != getegid()) {
      if (fchown(fd_.get(), keep->st_uid, keep->st_gid) != 0) {
        // Only root may hand a file to someone else; the content matters more than the owner.
      }
    }
  }
  const bool synced = fsync(fd_.get()) == 0;
  const int savedErrno = errno;
  if (!fd_.Close() || !synced) {
    if (!synced) errno = savedErrno;
    return false;
  }
  if (rename(tempPath_.c_str(), target_.c_str()) != 0) return false;
  placed_ = true;
  SyncFolder(FolderOf(target_));
  return true;
}

bool ReplaceFileAtomically(const std::string& path, const std::string& content) {
  struct stat old {};
  bool exists = stat(path.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) return false;
  if (exists && (!S_ISREG(old.st_mode) || access(path.c_str(), W_OK) != 0)) return false;

  // A replacement starts private and takes the old file's bits once it is ours; a brand-new
  // file gets the usual 0666 less the umask.
  AtomicReplacement replacement(path, exists ? 0600 : 0666);
  return replacement.Write(content.data(), content.size()) && replacement.Commit(exists ? &old : nullptr);
}

std::string ResolveWriteTarget(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char* resolved = realpath(path.c_str(), nullptr);
  if (!resolved) return path;  // a dangling link is replaced by the file itself
  std::string target = resolved;
  free(resolved);
  return target;
}
