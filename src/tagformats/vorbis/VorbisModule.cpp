#include "tagformats/vorbis/VorbisModule.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "base/AtomicFile.h"
#include "base/StdioFile.h"
#include "tagformats/common/TemporaryPermission.h"
#include "tagformats/vorbis/OggComments.h"
#include "tagformats/vorbis/VorbisCommentEditor.h"
#include "tagformats/vorbis/VorbisComments.h"

namespace {

using File = StdioFile;

File OpenInput(const std::string& path) {
  struct stat info {};
  // Only regular files: a FIFO would block the read and a device never end.
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) throw TagError("Cannot open file " + path);
  File file(fopen(path.c_str(), "rb"));
  if (!file) throw TagError("Cannot open file " + path);
  return file;
}

VorbisByteReader ReaderOf(FILE* file) {
  return [file](void* buffer, size_t size) -> size_t {
    const size_t got = fread(buffer, 1, size, file);
    return ferror(file) ? 0 : got;
  };
}

std::unique_ptr<VorbisCommentEditor> OpenEditor(const std::string& path, FILE* input) {
  try {
    return std::make_unique<VorbisCommentEditor>(ReaderOf(input));
  } catch (const VorbisStreamError& error) {
    throw TagError("Cannot open " + path + ": " + error.what());
  } catch (const std::bad_alloc&) {
    throw TagError("Cannot open " + path + ": Out of memory");
  }
}

void ReplaceComments(VorbisCommentEditor& editor, const Timerec& record) {
  vorbis_comment_clear(&editor.comments());
  vorbis_comment_init(&editor.comments());
  AddRecordComments(editor.comments(), record);
}

[[noreturn]] void ThrowWriteError(const std::string& reason) {
  throw TagError(reason.empty() ? "Cannot write comments" : "Cannot write comments: " + reason);
}

void WriteStream(VorbisCommentEditor& editor, AtomicReplacement& out) {
  try {
    editor.Write([&out](const void* data, size_t size) { return out.Write(data, size); });
  } catch (const VorbisStreamError& error) {
    ThrowWriteError(error.what());
  } catch (const std::bad_alloc&) {
    ThrowWriteError("Out of memory");
  }
}

}  // namespace

// The comments are read as they stream past, so a large picture among them costs nothing.
Timerec VorbisModule::Read(const std::string& path) const {
  const File input = OpenInput(path);
  try {
    return RecordFromComments(ReadOggComments(ReaderOf(input.get())));
  } catch (const VorbisStreamError& error) {
    throw TagError("Cannot open " + path + ": " + error.what());
  } catch (const std::bad_alloc&) {
    throw TagError("Cannot open " + path + ": Out of memory");
  }
}

void VorbisModule::Write(const std::string& path, const Timerec& record) const {
  const TemporaryPermission access(path, TemporaryPermission::Access::kRead);
  const File input = OpenInput(path);
  AtomicReplacement replacement(path, 0600, AtomicReplacement::TempName::kTempExtension);
  if (!replacement.ok()) throw TagError("Cannot create file " + replacement.tempPath());

  const std::unique_ptr<VorbisCommentEditor> editor = OpenEditor(path, input.get());
  ReplaceComments(*editor, record);
  WriteStream(*editor, replacement);
  struct stat keep {};
  keep.st_mode = access.originalMode();
  keep.st_uid = ::geteuid();
  keep.st_gid = ::getegid();
  if (!replacement.Commit(&keep)) ThrowWriteError(std::strerror(errno));
}
