#include "app/FileProbe.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <stdexcept>

#include "app/DisplayFormat.h"
#include "app/TagTransfer.h"
#include "base/FileDescriptor.h"
#include "engines/AudioFile2.h"

namespace {

FileStamp ReadableFileStamp(const std::string& path) {
  struct stat info {};
  const bool found = ::stat(path.c_str(), &info) == 0;
  if (!found && (errno == ENOENT || errno == ENOTDIR))
    throw std::runtime_error("Cannot open " + path + ": no such file");
  // Opening a FIFO or a device would wait for a writer, or read forever.
  if (!found || !S_ISREG(info.st_mode))
    throw std::runtime_error("Cannot open " + path + ": not a regular file");
  if (!FileDescriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC)).valid())
    throw std::runtime_error("Cannot open " + path + ": " + std::strerror(errno));
  return *FileStampOf(info);
}

ProbedFile ProbeOne(const std::string& path, TAudioFile2& reader) {
  ProbedFile probed;
  try {
    probed.audio = ProbeAudio(path, reader);
  } catch (const std::exception& error) {
    probed.refusal = error.what();
    return probed;
  }
  try {
    probed.tags = ReadSourceTags(path, probed.audio.format, probed.audio.stamp);
  } catch (const std::exception& error) {
    probed.tagError = error.what();
  }
  return probed;
}

}  // namespace

ProbedAudio ProbeAudio(const std::string& path, TAudioFile2& reader) {
  ProbedAudio audio;
  audio.stamp = ReadableFileStamp(path);
  audio.sizeText = SizeText(audio.stamp.size);
  audio.format = FormatOfFile(path);
  if (reader.IsOpen()) reader.Close();
  reader.OpenForRead(path, ReadMode::kWholeSource, ReadFlags::kPcm16);
  audio.timeText = TimeText(reader.DurationMs());
  reader.Close();
  return audio;
}

ProbeBatch::ProbeBatch(WorkPool& pool, std::vector<std::string> paths, size_t jobs)
    : paths_(std::move(paths)),
      results_(paths_.size()),
      ready_(paths_.size(), 0),
      tasks_(pool) {
  const size_t workers = std::min(std::max<size_t>(jobs, 1), paths_.size());
  for (size_t t = 0; t < workers; ++t) tasks_.Submit([this] { Work(); });
}

ProbeBatch::~ProbeBatch() {
  cancelled_ = true;
  tasks_.CancelPending();
  tasks_.Wait();
}

void ProbeBatch::Work() {
  TAudioFile2 reader;
  reader.SetOption(EngineOption::kDefaults);
  for (size_t i = next_++; i < paths_.size() && !cancelled_; i = next_++) {
    FreeSpent();
    ProbedFile probed;
    try {
      probed = ProbeOne(paths_[i], reader);
    } catch (const std::exception& error) {  // e.g. out of memory
      probed.refusal = error.what();
    }
    {
      std::lock_guard<std::mutex> guard(lock_);
      results_[i] = std::move(probed);
      ready_[i] = 1;
    }
    probed_.notify_all();
  }
}

bool ProbeBatch::WaitFor(size_t i, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> guard(lock_);
  return probed_.wait_for(guard, timeout, [&] { return ready_[i] != 0; });
}

size_t ProbeBatch::ReadyFrom(size_t first) {
  std::lock_guard<std::mutex> guard(lock_);
  size_t last = first;
  while (last < ready_.size() && ready_[last]) ++last;
  return last - first;
}

// A copy, made in the memory of the thread that keeps the list; the prober's own result goes
// back to a prober to be freed there. Handed over as it was, each row would stay in the
// prober's heap among the freed buffers of its file, and the next file's decoder and resampler
// no longer fit there: every file grew that heap into fresh pages, and a page touched for the
// first time costs far more than the copy (a fault, about 10 µs on some virtual machines).
ProbedFile ProbeBatch::Take(size_t i) {
  ProbedFile probed;
  {
    std::lock_guard<std::mutex> guard(lock_);
    probed = std::move(results_[i]);
  }
  ProbedFile taken = probed;
  std::lock_guard<std::mutex> guard(lock_);
  spent_.push_back(std::move(probed));
  return taken;
}

void ProbeBatch::FreeSpent() {
  std::vector<ProbedFile> spent;
  {
    std::lock_guard<std::mutex> guard(lock_);
    spent.swap(spent_);
  }
}
