#include "app/BackgroundRun.h"

#include <chrono>
#include <exception>
#include <limits>

#include "app/RunEventQueue.h"
#include "app/RunLoop.h"
#include "app/RunState.h"
#include "app/WorkPool.h"

namespace {

// As often as a run with several jobs pumps.
constexpr std::chrono::milliseconds kPumpInterval(50);

}  // namespace

BackgroundRun::BackgroundRun(RunState& state, const FileList& rows, RunEventQueue& events,
                             WorkPool& pool, const RunPlan& plan, std::function<void()> pump)
    : state_(state), rows_(rows), events_(events), pool_(pool), plan_(plan),
      pump_(std::move(pump)) {}

void BackgroundRun::Run() {
  std::exception_ptr error;
  {
    TaskGroup task(pool_);
    task.Submit([this, &error] {
      try {
        Convert();
      } catch (...) {
        error = std::current_exception();
      }
      {
        std::lock_guard<std::mutex> guard(lock_);
        ended_ = true;
      }
      events_.Wake();
    });
    try {
      PumpUntilEnded();
    } catch (...) {
      state_.running = false;  // the task group waits for the run: end it soon
      Pumped(std::numeric_limits<uint64_t>::max());
      throw;
    }
  }
  if (error) std::rethrow_exception(error);
}

void BackgroundRun::Convert() {
  RunLoop loop(state_, rows_, events_, plan_, [] {});
  loop.SetFileStartPump([this] { AwaitPump(); });
  loop.Run();
}

void BackgroundRun::AwaitPump() {
  std::unique_lock<std::mutex> guard(lock_);
  const uint64_t ask = ++asked_;
  guard.unlock();
  events_.Wake();
  guard.lock();
  pumped_.wait(guard, [this, ask] { return answered_ >= ask || abandoned_; });
}

// The first pump waits for the run's first file, as on the calling thread, where the run
// starts before anything the user does next is heard.
void BackgroundRun::PumpUntilEnded() {
  for (;;) {
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (asked_ > 0 || ended_) break;
    }
    events_.WaitForWake(kPumpInterval);
  }
  for (;;) {
    uint64_t asked;
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (ended_) return;
      asked = asked_;
    }
    pump_();
    Pumped(asked);
    events_.WaitForWake(kPumpInterval);
  }
}

void BackgroundRun::Pumped(uint64_t answered) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (answered == std::numeric_limits<uint64_t>::max()) abandoned_ = true;
    else answered_ = answered;
  }
  pumped_.notify_all();
}
