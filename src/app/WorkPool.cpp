#include "app/WorkPool.h"

#include <algorithm>

#include "base/VectorState.h"

WorkPool::WorkPool(size_t workers) : workers_(std::max<size_t>(1, workers)) {}

WorkPool::~WorkPool() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    closing_ = true;
  }
  wake_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void WorkPool::SetWorkers(size_t workers) {
  std::lock_guard<std::mutex> guard(lock_);
  workers_ = std::max<size_t>(1, workers);
}

void WorkPool::Submit(const TaskGroup* group, std::function<void()> run) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    pending_.push_back(Task{group, std::move(run)});
    if (idle_ < pending_.size() && threads_.size() < workers_)
      threads_.emplace_back(&WorkPool::Work, this);
  }
  wake_.notify_one();
}

size_t WorkPool::CancelPending(const TaskGroup* group) {
  std::lock_guard<std::mutex> guard(lock_);
  const size_t before = pending_.size();
  pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                [group](const Task& task) { return task.group == group; }),
                 pending_.end());
  return before - pending_.size();
}

void WorkPool::Work() {
  std::unique_lock<std::mutex> guard(lock_);
  for (;;) {
    ++idle_;
    wake_.wait(guard, [this] { return closing_ || !pending_.empty(); });
    --idle_;
    if (pending_.empty()) return;  // closing, nothing left to do
    Task task = std::move(pending_.front());
    pending_.pop_front();
    guard.unlock();
    ClearUpperVectorHalves();  // whatever the thread that made this one, or a task, left
    task.run();
    guard.lock();
  }
}

TaskGroup::~TaskGroup() {
  CancelPending();
  Wait();
}

void TaskGroup::Submit(std::function<void()> task) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    ++outstanding_;
  }
  pool_.Submit(this, [this, task = std::move(task)]() mutable {
    {
      // Gone before the group hears of it: the group's owner may go as soon as it has.
      std::function<void()> run = std::move(task);
      run();
    }
    Finished(1);
  });
}

void TaskGroup::CancelPending() { Finished(pool_.CancelPending(this)); }

void TaskGroup::Wait() {
  std::unique_lock<std::mutex> guard(lock_);
  done_.wait(guard, [this] { return outstanding_ == 0; });
}

void TaskGroup::Finished(size_t count) {
  if (count == 0) return;
  std::lock_guard<std::mutex> guard(lock_);
  outstanding_ -= count;
  if (outstanding_ == 0) done_.notify_all();
}
