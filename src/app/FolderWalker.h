// Walks a folder tree one file at a time: depth first, in byte order of the names within each
// folder, hidden entries (names starting with '.') left out. Links are followed; a link that
// leads back into a folder being walked (a loop), a folder that cannot be read and a link that
// leads nowhere are reported and skipped. Only the names of the folders on the current path are
// held, so a library of any size walks in the memory of its largest folder.
#pragma once

#include <sys/types.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct WalkedFile {
  std::string path;      // root + "/" + relative
  std::string relative;  // below the root, with '/' between folders
};

class FolderWalker {
 public:
  // A folder or link left out, and why; the walk goes on.
  using SkipReport = std::function<void(const std::string& path, const std::string& reason)>;

  FolderWalker(const std::string& root, SkipReport skipped);
  ~FolderWalker();
  FolderWalker(const FolderWalker&) = delete;
  FolderWalker& operator=(const FolderWalker&) = delete;

  // A folder below the root that the walk never enters, such as the output folder of the run
  // that walks (whose outputs would otherwise be converted again). Set before the first Next.
  void Exclude(const std::string& folder);
  // The next file, or nothing once the walk is over.
  std::optional<WalkedFile> Next();

  // The root without trailing '/' (but "/" stays "/").
  const std::string& root() const { return root_; }

 private:
  struct Level;
  using FolderId = std::pair<dev_t, ino_t>;

  void Enter(const std::string& relative, FolderId id);
  bool IsOnCurrentPath(FolderId id) const;
  std::string PathOf(const std::string& relative) const;
  // What to do with one entry of the current folder: true when it is a file to hand out.
  bool Visit(const std::string& relative, unsigned char type);
  void VisitFolder(const std::string& relative, FolderId id);

  std::string root_;
  SkipReport skipped_;
  std::vector<std::unique_ptr<Level>> stack_;
  std::vector<FolderId> excluded_;
  bool started_ = false;
};
