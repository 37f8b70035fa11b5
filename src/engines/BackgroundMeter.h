// Feeds a loudness meter on a thread of its own, so that measuring an output while it is
// encoded costs the encoding thread only a copy of each block. Blocks are gathered into a few
// seconds' worth and wait in a short queue; when the meter falls behind, Add waits for it
// rather than let the queue grow.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engines/LoudnessMeter.h"

class BackgroundMeter {
 public:
  BackgroundMeter(std::unique_ptr<LoudnessMeter> meter, SampleType type, int channels);
  // Ends the thread once it has measured what is queued.
  ~BackgroundMeter();
  BackgroundMeter(const BackgroundMeter&) = delete;
  BackgroundMeter& operator=(const BackgroundMeter&) = delete;

  void Add(const void* samples, size_t frames);
  // Measures what is queued, ends the thread and hands out the meter; an error the meter
  // raised on its thread passes here.
  std::unique_ptr<LoudnessMeter> Finish();

 private:
  void Work();
  void Stop();
  void HandOver();  // queues the gathered blocks
  std::vector<unsigned char> TakeSpare();

  std::unique_ptr<LoudnessMeter> meter_;
  SampleType type_;
  size_t frameBytes_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<unsigned char> batch_;  // blocks gathered by Add, not yet queued
  std::deque<std::vector<unsigned char>> queue_;
  std::vector<std::vector<unsigned char>> spare_;  // measured blocks, for Add to fill again
  bool closing_ = false;
  std::exception_ptr error_;
  std::thread thread_;
};
