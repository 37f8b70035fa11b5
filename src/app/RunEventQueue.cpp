#include "app/RunEventQueue.h"

void RunEventQueue::Post(RunEvent event) {
  std::lock_guard<std::mutex> guard(lock_);
  events_.push_back(std::move(event));
}

void RunEventQueue::Wake() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    woken_ = true;
  }
  woken_up_.notify_all();
}

void RunEventQueue::WaitForWake(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> guard(lock_);
  woken_up_.wait_for(guard, timeout, [this] { return woken_; });
  woken_ = false;
}

std::vector<RunEvent> RunEventQueue::TakeAll() {
  std::vector<RunEvent> taken;
  std::lock_guard<std::mutex> guard(lock_);
  taken.swap(events_);
  return taken;
}
