#include "app/JobHost.h"

#include "app/RunState.h"

JobHost::JobHost(RunHost& host, std::mutex& reportLock, const RunState& state)
    : host_(host), lock_(reportLock), state_(state) {}

void JobHost::RowAdded(size_t row, const FileRow& entry) {
  Guard guard(lock_);
  host_.RowAdded(row, entry);
}

void JobHost::RowAboutToBeRemoved(size_t row) {
  Guard guard(lock_);
  host_.RowAboutToBeRemoved(row);
}

void JobHost::RowRemoved(size_t row) {
  Guard guard(lock_);
  host_.RowRemoved(row);
}

void JobHost::RowsAboutToBeCleared() {
  Guard guard(lock_);
  host_.RowsAboutToBeCleared();
}

void JobHost::RowsCleared() {
  Guard guard(lock_);
  host_.RowsCleared();
}

void JobHost::RowStateChanged(size_t row, const std::string& state) {
  Guard guard(lock_);
  lastPercent_ = -1;
  host_.RowStateChanged(row, state);
}

void JobHost::OutputCreated(size_t row, const std::string& outputPath) {
  Guard guard(lock_);
  host_.OutputCreated(row, outputPath);
}

void JobHost::OutputSkipped(size_t row, const std::string& reason) {
  Guard guard(lock_);
  host_.OutputSkipped(row, reason);
}

void JobHost::SourceEndsEarly(size_t row, const std::string& sourcePath) {
  Guard guard(lock_);
  host_.SourceEndsEarly(row, sourcePath);
}

void JobHost::SourceChangesCodec(size_t row, const std::string& sourcePath,
                                 const std::string& change) {
  Guard guard(lock_);
  host_.SourceChangesCodec(row, sourcePath, change);
}

void JobHost::SetProgress(int percent) { FileProgress(state_.current_index, percent); }

void JobHost::FileProgress(size_t row, int percent) {
  // A block moves the bar by a fraction of a percent at most; only changes are worth the lock.
  if (percent == lastPercent_) return;
  lastPercent_ = percent;
  Guard guard(lock_);
  host_.FileProgress(row, percent);
}

void JobHost::FileStopped(size_t row) {
  Guard guard(lock_);
  host_.FileStopped(row);
}

void JobHost::ShowInformation(const std::string& text) {
  Guard guard(lock_);
  host_.ShowInformation(text);
}

bool JobHost::AskYesNo(const std::string& text) {
  Guard guard(lock_);
  return host_.AskYesNo(text);
}

void JobHost::ShowError(const std::string& text) {
  Guard guard(lock_);
  host_.ShowError(text);
}
