#include "engines/BackgroundMeter.h"

#include <cstring>

namespace {

// About two seconds of audio at the writer's block size; enough to ride out a slow moment.
constexpr size_t kMaxQueuedBlocks = 8;

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
  std::vector<unsigned char> copy(bytes, bytes + frames * frameBytes_);
  std::unique_lock<std::mutex> guard(lock_);
  changed_.wait(guard, [this] { return queue_.size() < kMaxQueuedBlocks || error_; });
  if (error_) return;  // Finish reports it
  queue_.push_back(std::move(copy));
  changed_.notify_all();
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
    if (error) {
      error_ = error;
      queue_.clear();
      changed_.notify_all();
      return;
    }
  }
}

void BackgroundMeter::Stop() {
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
