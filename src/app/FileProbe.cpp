#include "app/FileProbe.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "app/DisplayFormat.h"
#include "app/TagTransfer.h"
#include "engines/AudioFile2.h"

namespace fs = std::filesystem;

namespace {

uint64_t ReadableFileSize(const std::string& path) {
  std::error_code error;
  fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found)
    throw std::runtime_error("Cannot open " + path + ": no such file");
  // Opening a FIFO or a device would wait for a writer, or read forever.
  if (status.type() != fs::file_type::regular)
    throw std::runtime_error("Cannot open " + path + ": not a regular file");
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("Cannot open " + path + ": " + std::strerror(errno));
  return fs::file_size(path);  // throws on a file that vanished meanwhile
}

ProbedFile ProbeOne(const std::string& path, TAudioFile2& reader) {
  ProbedFile probed;
  try {
    probed.audio = ProbeAudio(path, reader);
  } catch (const std::exception& error) {
    probed.refusal = error.what();
    return probed;
  }
  try {
    probed.tags = ReadSourceTags(path);
  } catch (const std::exception& error) {
    probed.tagError = error.what();
  }
  return probed;
}

}  // namespace

ProbedAudio ProbeAudio(const std::string& path, TAudioFile2& reader) {
  ProbedAudio audio;
  audio.sizeText = SizeText(ReadableFileSize(path));
  if (reader.IsOpen()) reader.Close();
  reader.OpenForRead(path, ReadMode::kWholeSource, ReadFlags::kPcm16);
  audio.timeText = TimeText(reader.DurationMs());
  reader.Close();
  return audio;
}

std::vector<ProbedFile> ProbeFiles(const std::vector<std::string>& paths, size_t jobs) {
  std::vector<ProbedFile> results(paths.size());
  std::atomic<size_t> next{0};
  auto work = [&] {
    TAudioFile2 reader;
    reader.SetOption(EngineOption::kDefaults);
    for (size_t i = next++; i < paths.size(); i = next++) results[i] = ProbeOne(paths[i], reader);
  };
  std::vector<std::thread> threads;
  const size_t count = std::min(std::max<size_t>(jobs, 1), paths.size());
  for (size_t t = 1; t < count; ++t) threads.emplace_back(work);
  work();  // the calling thread is one of the jobs
  for (std::thread& thread : threads) thread.join();
  return results;
}
