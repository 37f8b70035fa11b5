#include "app/cli/FileCount.h"

#include "app/FolderProblems.h"
#include "app/SourceFeed.h"

BackgroundFileCount::BackgroundFileCount(std::vector<std::string> paths,
                                         std::string excludedFolder)
    : thread_(&BackgroundFileCount::Count, this, std::move(paths), std::move(excludedFolder)) {}

BackgroundFileCount::~BackgroundFileCount() {
  stop_ = true;
  thread_.join();
}

void BackgroundFileCount::Count(std::vector<std::string> paths, std::string excludedFolder) {
  FolderProblems ignored;  // the walk that adds the files reports them
  SourceFeed feed(std::move(paths), ignored);
  feed.Exclude(excludedFolder);
  while (!stop_ && feed.Next()) ++count_;
  finished_ = true;
}
