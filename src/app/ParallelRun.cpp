#include "app/ParallelRun.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "app/FileList.h"
#include "app/OutputFormatSetup.h"
#include "app/RunEventQueue.h"
#include "app/RunLoop.h"
#include "app/RunState.h"
#include "app/WorkPool.h"

namespace {

// How often the driving thread hands on what the jobs posted and lets the host hear Ctrl-C or
// Stop: often enough to look immediate, seldom enough that a window's repaints cost little.
constexpr std::chrono::milliseconds kPumpInterval(50);

// Engine texts usually name the source already; tag texts name the output.
std::string NamingFile(const std::string& source, const std::string& reason) {
  if (reason.find(source) != std::string::npos) return reason;
  return source + ": " + reason;
}

}  // namespace

struct ParallelRun::Job {
  Job(const FileList& rows, RunEventQueue& events, const RunPlan& plan)
      : loop(state, rows, events, plan, [] {}) {
    loop.ReportPerFile();
  }

  RunState state;
  RunLoop loop;
};

ParallelRun::ParallelRun(RunState& control, const FileList& rows, RunEventQueue& events,
                         WorkPool& pool, const RunPlan& plan, size_t jobs,
                         std::function<void()> pump)
    : control_(control),
      rows_(rows),
      events_(events),
      plan_(plan),
      jobCount_(std::max<size_t>(1, std::min(jobs, rows.size()))),
      pump_(std::move(pump)),
      tasks_(std::make_unique<TaskGroup>(pool)) {}

ParallelRun::~ParallelRun() {
  StopJobs();
  tasks_.reset();  // cancels the jobs not started, waits for the others
}

void ParallelRun::Run() {
  control_.running = true;
  for (size_t i = 0; i < jobCount_; ++i) jobs_.push_back(MakeJob());
  activeJobs_ = jobs_.size();
  for (auto& job : jobs_) {
    Job* running = job.get();
    tasks_->Submit([this, running] { Work(*running); });
  }
  PumpUntilJobsEnd();
  events_.Post(RunEvent{RunEvent::Kind::kProgress, 0, 0, {}, {}});
  control_.running = false;
  if (!failed_) events_.Post(RunEvent{RunEvent::Kind::kOpenFolder, 0, 0, plan_.folder, {}});
}

std::unique_ptr<ParallelRun::Job> ParallelRun::MakeJob() {
  auto job = std::make_unique<Job>(rows_, events_, plan_);
  job->state.running = true;
  if (plan_.kind == RunKind::kConvert) {
    std::optional<FormatRefusal> refusal =
        SetUpOutputFormat(plan_.format, job->state.AudioFilewrite, job->state.AudioFile2LameEnc);
    if (refusal) throw std::runtime_error(refusal->text);
  }
  job->loop.SetHeldNames([this](const std::string& path) { return names_.IsHeld(path); });
  return job;
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
    names_.Release(held);
  }
  JobEnded();
}

std::optional<size_t> ParallelRun::StartNextFile(Job& job) {
  std::lock_guard<std::mutex> guard(dispatchLock_);
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
  failed_ = true;
  events_.Post(RunEvent{RunEvent::Kind::kError, position, 0,
                        NamingFile(rows_[position].filePath, reason), {}});
}

void ParallelRun::JobEnded() {
  --activeJobs_;
  events_.Wake();
}

void ParallelRun::PumpUntilJobsEnd() {
  while (activeJobs_ > 0) {
    events_.WaitForWake(kPumpInterval);
    pump_();
    if (!control_.running) StopJobs();
  }
}

void ParallelRun::StopJobs() {
  for (auto& job : jobs_) job->state.running = false;
}
