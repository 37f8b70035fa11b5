#include "app/ParallelRun.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "app/FileList.h"
#include "app/JobHost.h"
#include "app/OutputFormatSetup.h"
#include "app/RunHost.h"
#include "app/RunLoop.h"
#include "app/RunState.h"

namespace {

// How often the run's own thread lets the host hear Ctrl-C or Stop.
constexpr std::chrono::milliseconds kPumpInterval(50);

// Engine texts usually name the source already; tag texts name the output.
std::string NamingFile(const std::string& source, const std::string& reason) {
  if (reason.find(source) != std::string::npos) return reason;
  return source + ": " + reason;
}

}  // namespace

struct ParallelRun::Job {
  Job(RunHost& runHost, std::mutex& reportLock, const FileList& rows, const TagTable& tags,
      const RunPlan& plan)
      : host(runHost, reportLock, state), loop(state, rows, tags, host, plan) {}

  RunState state;
  JobHost host;
  RunLoop loop;
  std::thread thread;
};

ParallelRun::ParallelRun(RunState& control, const FileList& rows, const TagTable& tags,
                         RunHost& host, const RunPlan& plan, size_t jobs)
    : control_(control),
      rows_(rows),
      tags_(tags),
      host_(host),
      plan_(plan),
      jobCount_(std::max<size_t>(1, std::min(jobs, rows.size()))) {}

ParallelRun::~ParallelRun() {
  StopJobs();
  JoinThreads();
}

void ParallelRun::Run() {
  control_.running = true;
  for (size_t i = 0; i < jobCount_; ++i) jobs_.push_back(MakeJob());
  StartThreads();
  PumpUntilJobsEnd();
  JoinThreads();
  host_.SetProgress(0);
  control_.running = false;
  if (!failed_) host_.OpenFolder(plan_.folder);
}

std::unique_ptr<ParallelRun::Job> ParallelRun::MakeJob() {
  auto job = std::make_unique<Job>(host_, reportLock_, rows_, tags_, plan_);
  job->state.running = true;
  if (plan_.kind == RunKind::kConvert) {
    std::optional<FormatRefusal> refusal =
        SetUpOutputFormat(plan_.format, job->state.AudioFilewrite, job->state.AudioFile2LameEnc);
    if (refusal) throw std::runtime_error(refusal->text);
  }
  job->loop.SetHeldNames([this](const std::string& path) {
    std::lock_guard<std::recursive_mutex> guard(dispatchLock_);
    return names_.IsHeld(path);
  });
  return job;
}

void ParallelRun::StartThreads() {
  for (auto& job : jobs_) {
    {
      std::lock_guard<std::mutex> guard(reportLock_);
      ++activeJobs_;
    }
    try {
      job->thread = std::thread(&ParallelRun::Work, this, std::ref(*job));
    } catch (...) {
      JobEnded();
      throw;  // the destructor stops and joins the jobs already running
    }
  }
}

void ParallelRun::Work(Job& job) {
  while (std::optional<size_t> position = StartNextFile(job)) {
    const std::string held = job.state.output_file_name;
    try {
      job.loop.ConvertStartedFile(*position);
    } catch (const std::exception& error) {
      FileFailed(*position, error.what());
    } catch (...) {
      FileFailed(*position, "unexpected error");
    }
    std::lock_guard<std::recursive_mutex> guard(dispatchLock_);
    names_.Release(held);
  }
  JobEnded();
}

std::optional<size_t> ParallelRun::StartNextFile(Job& job) {
  std::lock_guard<std::recursive_mutex> guard(dispatchLock_);
  while (next_ < rows_.size() && !failed_ && job.state.running) {
    size_t position = next_++;
    if (job.loop.StartFile(position)) {
      names_.Hold(job.state.output_file_name);
      return position;
    }
  }
  return std::nullopt;
}

void ParallelRun::FileFailed(size_t position, const std::string& reason) {
  {
    std::lock_guard<std::recursive_mutex> guard(dispatchLock_);
    failed_ = true;
  }
  std::lock_guard<std::mutex> guard(reportLock_);
  host_.ShowError(NamingFile(rows_[position].filePath, reason));
}

void ParallelRun::JobEnded() {
  std::lock_guard<std::mutex> guard(reportLock_);
  --activeJobs_;
  jobsEnded_.notify_all();
}

void ParallelRun::PumpUntilJobsEnd() {
  std::unique_lock<std::mutex> lock(reportLock_);
  while (activeJobs_ > 0) {
    jobsEnded_.wait_for(lock, kPumpInterval);
    host_.Pump();
    if (!control_.running) StopJobs();
  }
}

void ParallelRun::StopJobs() {
  for (auto& job : jobs_) job->state.running = false;
}

void ParallelRun::JoinThreads() {
  for (auto& job : jobs_)
    if (job->thread.joinable()) job->thread.join();
}
