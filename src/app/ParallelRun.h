// A run over several listed files at once. Each job has a RunState of its own (engine objects
// included) and takes files through its own RunLoop over the one list and tag table, which
// nobody writes during the run; each file's record reaches its output through the tag
// modules, which keep no state between files. Files start in list order and decide their output names as
// they start, holding them until done, so every name is the one a one-at-a-time run gives.
// Clearing the control state's `running` stops every file in flight, each keeping what it has
// written; an error starts no further file and lets the files in flight finish.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/OutputNameReservation.h"
#include "app/RunPlan.h"

class FileList;
class RunHost;
class TagTable;
struct RunState;

class ParallelRun {
 public:
  // `control` is the caller's own state: its `running` is set, and Stop clears it. For a
  // conversion, the plan's format must already have been accepted.
  ParallelRun(RunState& control, const FileList& rows, const TagTable& tags, RunHost& host,
              const RunPlan& plan, size_t jobs);
  ~ParallelRun();
  ParallelRun(const ParallelRun&) = delete;
  ParallelRun& operator=(const ParallelRun&) = delete;

  // Converts the files and ends the run. The host is called from this thread or from a job
  // under one lock, never by two at once. An engine or tag error is shown naming its file and
  // ends the run without opening the folder; errors while setting up the jobs pass.
  void Run();

 private:
  struct Job;

  std::unique_ptr<Job> MakeJob();
  void StartThreads();
  void Work(Job& job);
  // Under the dispatch lock: the next file in list order that starts, its name held.
  std::optional<size_t> StartNextFile(Job& job);
  void FileFailed(size_t position, const std::string& reason);
  void JobEnded();
  // Pumps the host until every job has ended; passes a Stop on to the jobs.
  void PumpUntilJobsEnd();
  void StopJobs();
  void JoinThreads();

  RunState& control_;
  const FileList& rows_;
  const TagTable& tags_;
  RunHost& host_;
  const RunPlan& plan_;
  size_t jobCount_;
  std::vector<std::unique_ptr<Job>> jobs_;

  // Guards the next position, the held names and `failed_`; recursive because a job's RunLoop
  // asks whether a name is taken while its file is being started under this lock.
  std::recursive_mutex dispatchLock_;
  size_t next_ = 0;
  OutputNameReservation names_;
  bool failed_ = false;

  // Guards every call to the host and the count of running jobs.
  std::mutex reportLock_;
  std::condition_variable jobsEnded_;
  size_t activeJobs_ = 0;
};
