#include "engines/BackgroundMeter.h"

#include <cstring>

namespace {

// Blocks are handed over once they hold this much (about three seconds of 16-bit stereo): each
// hand-over wakes the thread, which costs more than the copy.
constexpr size_t kBatchBytes = 512 * 1024;
// Enough to ride out a slow moment.
constexpr size_t kMaxQueuedBlocks = 4;

}  // namespace

BackgroundMeter::BackgroundMeter(std::unique_ptr<LoudnessMeter> meter, SampleType type,
                                 int channels)
    : meter_(std::move(meter)),
      type_(type),
      frameBytes_(static_cast<size_t>(BytesPerSample(type)) * static_cast<size_t>(channels)),
      thread_(&BackgroundMeter::Work, this) {}

BackgroundMeter::~BackgroundMeter() { Stop(); }

void BackgroundMeter::Add(const void* samples, size_t frames) {
  const auto* bytes = static_cast<const unsigned char*>(samples);
  if (batch_.capacity() == 0) {
    batch_ = TakeSpare();
    batch_.reserve(kBatchBytes + frames * frameBytes_);
  }
  batch_.insert(batch_.end(), bytes, bytes + frames * frameBytes_);
  if (batch_.size() >= kBatchBytes) HandOver();
}

void BackgroundMeter::HandOver() {
  if (batch_.empty()) return;
  std::unique_lock<std::mutex> guard(lock_);
  changed_.wait(guard, [this] { return queue_.size() < kMaxQueuedBlocks || error_; });
  if (error_) return;  // Finish reports it
  queue_.push_back(std::move(batch_));
  batch_ = {};
  changed_.notify_all();
}

// A block the thread has measured, whose memory is used again: fresh blocks of this size
// would have the allocator hand memory back and take it again, each time stopping the other
// processor to forget its page mappings.
std::vector<unsigned char> BackgroundMeter::TakeSpare() {
  std::lock_guard<std::mutex> guard(lock_);
  if (spare_.empty()) return {};
  std::vector<unsigned char> block = std::move(spare_.back());
  spare_.pop_back();
  block.clear();
  return block;
}

void BackgroundMeter::Work() {
  std::unique_lock<std::mutex> guard(lock_);
  for (;;) {
    changed_.wait(guard, [this] { return !queue_.empty() || closing_; });
    if (queue_.empty()) return;  // closing, nothing left
    std::vector<unsigned char> block = std::move(queue_.front());
    queue_.pop_front();
    changed_.notify_all();
    guard.unlock();
    std::exception_ptr error;
    try {
      meter_->Add(block.data(), block.size() / frameBytes_, type_);
    } catch (...) {
      error = std::current_exception();
    }
    guard.lock();
    spare_.push_back(std::move(block));
    if (error) {
      error_ = error;
      queue_.clear();
      changed_.notify_all();
      return;
    }
  }
}

void BackgroundMeter::Stop() {
  HandOver();
  {
    std::lock_guard<std::mutex> guard(lock_);
    closing_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

std::unique_ptr<LoudnessMeter> BackgroundMeter::Finish() {
  Stop();
  if (error_) std::rethrow_exception(error_);
  return std::move(meter_);
}
