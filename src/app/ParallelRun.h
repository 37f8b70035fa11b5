// A run over several listed files at once, each job a task on the core's work pool with a
// RunState of its own (engine objects included) and its own RunLoop over the one list, which
// nobody changes during the run. Files start in list order and decide their output names as
// they start, holding them until done, so every name is the one a one-at-a-time run gives.
// Jobs never call the host: they post to the event queue, which the driving thread drains
// while it waits. Clearing the control state's `running` stops every file in flight, each
// keeping what it has written; an error starts no further file and lets the files in flight
// finish.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/OutputNameReservation.h"
#include "app/RunPlan.h"

class FileList;
class RunEventQueue;
class TaskGroup;
class WorkPool;
struct RunState;

class ParallelRun {
 public:
  // `control` is the caller's own state: its `running` is set, and Stop clears it. For a
  // conversion, the plan's format must
  // already have been accepted. `pump` hands the posted events to the host and lets user
  // commands through, a few times a second, on the calling thread only.
  ParallelRun(RunState& control, const FileList& rows, RunEventQueue& events, WorkPool& pool,
              const RunPlan& plan, size_t jobs, std::function<void()> pump);
  ~ParallelRun();
  ParallelRun(const ParallelRun&) = delete;
  ParallelRun& operator=(const ParallelRun&) = delete;

  // Converts the files and ends the run. An engine or tag error is posted naming its file and
  // ends the run without opening the folder; errors while setting up the jobs pass.
  void Run();

 private:
  struct Job;

  std::unique_ptr<Job> MakeJob();
  void Work(Job& job);
  // The next file in list order that starts, its name held.
  std::optional<size_t> StartNextFile(Job& job);
  void FileFailed(size_t position, const std::string& reason);
  void JobEnded();
  // Pumps until every job has ended; passes a Stop on to the jobs.
  void PumpUntilJobsEnd();
  void StopJobs();

  RunState& control_;
  const FileList& rows_;
  RunEventQueue& events_;
  const RunPlan& plan_;
  size_t jobCount_;
  std::function<void()> pump_;
  std::vector<std::unique_ptr<Job>> jobs_;

  // Guards the next position and the decision of each started file's name; a file's name is
  // picked and held under it, so two files never pick the same.
  std::mutex dispatchLock_;
  size_t next_ = 0;
  OutputNameReservation names_;  // locks itself: a job's last look before creating goes alone
  std::atomic<bool> failed_{false};
  std::atomic<size_t> activeJobs_{0};
  std::unique_ptr<TaskGroup> tasks_;  // last: waits for the jobs before the rest goes
};
