#include "tagformats/vorbis/VorbisModule.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "tagformats/common/TemporaryPermission.h"
#include "tagformats/vorbis/VorbisComments.h"
#include "tagformats/vorbis/VorbisFileIO.h"
#include "tagformats/vorbis/vcedit.h"

namespace {

struct EditorRelease {
  void operator()(vcedit_state* state) const { vcedit_clear(state); }
};
using Editor = std::unique_ptr<vcedit_state, EditorRelease>;

// Owns a FILE* while keeping it in a variable whose address serves as the editor's handle.
class InputFile {
 public:
  explicit InputFile(const std::string& path) : file_(fopen(path.c_str(), "rb")) {
    if (!file_) throw TagError("Cannot open file " + path);
  }
  ~InputFile() { Close(); }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  void* handle() { return &file_; }
  void Close() {
    if (file_) fclose(file_);
    file_ = nullptr;
  }

 private:
  FILE* file_;
};

std::string EditorError(const Editor& editor) {
  const char* text = vcedit_error(editor.get());
  return text ? text : "";
}

Editor OpenEditor(const std::string& fileName, InputFile& input) {
  Editor editor(vcedit_new_state());
  if (vcedit_open_callbacks(editor.get(), input.handle(), VorbisFileRead, VorbisFileWrite) != 0)
    throw TagError("Cannot open " + fileName + ": " + EditorError(editor));
  return editor;
}

void ReplaceComments(vcedit_state* editor, const Timerec& record) {
  vorbis_comment* block = vcedit_comments(editor);
  vorbis_comment_clear(block);
  vorbis_comment_init(block);
  AddRecordComments(*block, record);
}

[[noreturn]] void ThrowWriteError(const std::string& reason) {
  throw TagError(reason.empty() ? "Cannot write comments" : "Cannot write comments: " + reason);
}

}  // namespace

Timerec VorbisModule::Read(const std::string& path) const {
  InputFile input(path);
  Editor editor = OpenEditor(path, input);
  return RecordFromComments(ParseCommentBlock(*vcedit_comments(editor.get())));
}

void VorbisModule::Write(const std::string& path, const Timerec& record) const {
  TemporaryPermission access(path, TemporaryPermission::Access::kRead);
  InputFile input(path);
  VorbisTempFile temp(path);
  if (!temp.ok()) throw TagError("Cannot create file " + temp.path());

  Editor editor = OpenEditor(path, input);
  ReplaceComments(editor.get(), record);
  if (vcedit_write(editor.get(), &temp.stream()) != 0) ThrowWriteError(EditorError(editor));
  input.Close();
  if (!temp.Finish(access.originalMode())) ThrowWriteError(std::strerror(errno));
  if (!temp.MoveOverTarget()) throw TagError("Cannot replace " + path + ": " + std::strerror(errno));
}
