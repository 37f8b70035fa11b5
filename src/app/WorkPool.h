// The worker threads that probe added files and convert them, one pool per core. Tasks start in
// the order they are submitted. Threads are started when tasks need them, up to the pool's
// size, and live as long as the pool. Work is submitted through a TaskGroup, which can drop
// its tasks that have not started and waits for its running ones before it goes.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class TaskGroup;

class WorkPool {
 public:
  explicit WorkPool(size_t workers = 1);
  ~WorkPool();
  WorkPool(const WorkPool&) = delete;
  WorkPool& operator=(const WorkPool&) = delete;

  // At least one; the pool never stops threads it has started while it lives.
  void SetWorkers(size_t workers);

 private:
  friend class TaskGroup;
  struct Task {
    const TaskGroup* group;
    std::function<void()> run;
  };

  void Submit(const TaskGroup* group, std::function<void()> run);
  // Drops the group's tasks that have not started; returns how many.
  size_t CancelPending(const TaskGroup* group);
  void Work();

  std::mutex lock_;
  std::condition_variable wake_;
  std::deque<Task> pending_;
  std::vector<std::thread> threads_;
  size_t workers_;
  size_t idle_ = 0;
  bool closing_ = false;
};

class TaskGroup {
 public:
  explicit TaskGroup(WorkPool& pool) : pool_(pool) {}
  // Cancels what has not started and waits for what is running.
  ~TaskGroup();
  TaskGroup(const TaskGroup&) = delete;
  TaskGroup& operator=(const TaskGroup&) = delete;

  // `task` must not throw; it runs on one of the pool's threads.
  void Submit(std::function<void()> task);
  void CancelPending();
  void Wait();

 private:
  void Finished(size_t count);

  WorkPool& pool_;
  std::mutex lock_;
  std::condition_variable done_;
  size_t outstanding_ = 0;
};
