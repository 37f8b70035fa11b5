// What runs and jobs report, in the order they report it, until the driving thread takes it.
// Posting never calls a host; the core hands the events on after taking them, with no lock
// held, so a host only ever hears one thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

struct RunEvent {
  enum class Kind {
    kRowState,         // text: the row's new state
    kProgress,         // the current file's bar
    kFileProgress,     // one file of several in flight
    kOutputCreated,    // text: the output's path
    kOutputSkipped,    // text: why the existing-output policy left the row's source alone
    kSourceEndsEarly,  // text: the source's path
    kCodecChange,      // text: the source's path; detail: "Vorbis to Opus"
    kFileStopped,      // Stop ended the row's file before its end
    kNotice,           // text: an information box
    kError,            // text: an error box
    kOpenFolder,       // text: the folder the run wrote into
  };
  Kind kind;
  size_t row = 0;
  int percent = 0;
  std::string text;
  std::string detail;
};

class RunEventQueue {
 public:
  // Any thread.
  void Post(RunEvent event);
  // Wakes a WaitForWake, e.g. when a job has ended.
  void Wake();
  // The driving thread: waits until woken, at most `timeout`. Posting does not wake it: the
  // events are taken in batches, so a window repaints a few times a second, not once per
  // block of every job.
  void WaitForWake(std::chrono::milliseconds timeout);
  // Everything posted so far, oldest first; the queue is empty afterwards.
  std::vector<RunEvent> TakeAll();

 private:
  std::mutex lock_;
  std::condition_variable woken_up_;
  std::vector<RunEvent> events_;
  bool woken_ = false;
};
