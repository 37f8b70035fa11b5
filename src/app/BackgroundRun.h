// A one-file-at-a-time run on the work pool while the calling thread pumps. A window's pumps
// wait on its display server; with the run on the GUI thread each of those waits would hold up
// the conversion too. It is the same RunLoop over the same state and engine objects as on the
// calling thread (a WAV writer's format still carries over between runs), and each file starts
// only after one pump of the calling thread, so a command given before a file starts (Stop,
// Close) is heard before it, and a box the previous file raised is closed first.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

class FileList;
class RunEventQueue;
class WorkPool;
struct RunPlan;
struct RunState;

class BackgroundRun {
 public:
  // `pump` hands the posted events to the host and lets user commands through, a few times a
  // second, on the calling thread only.
  BackgroundRun(RunState& state, const FileList& rows, RunEventQueue& events, WorkPool& pool,
                const RunPlan& plan, std::function<void()> pump);
  // Runs to the end; an engine or tag error passes to the caller, as from RunLoop::Run.
  void Run();

 private:
  void Convert();
  // The run's side: asks for a pump of the calling thread and waits until one has ended.
  void AwaitPump();
  // The calling thread's side, until the run has ended.
  void PumpUntilEnded();
  void Pumped(uint64_t answered);

  RunState& state_;
  const FileList& rows_;
  RunEventQueue& events_;
  WorkPool& pool_;
  const RunPlan& plan_;
  std::function<void()> pump_;

  std::mutex lock_;
  std::condition_variable pumped_;
  uint64_t asked_ = 0;      // pumps the run has asked for
  uint64_t answered_ = 0;   // of those, the ones a finished pump began after
  bool ended_ = false;      // the run is over
  bool abandoned_ = false;  // the calling thread pumps no more
};
