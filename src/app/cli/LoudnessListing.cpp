#include "app/cli/LoudnessListing.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>
#include <thread>

#include "engines/SourceLoudness.h"

namespace {

std::string Columns(const LoudnessResult& result) {
  char text[96];
  std::snprintf(text, sizeof text, "%.1f LUFS\t%.1f LU\t%.1f dBTP", result.integratedLufs,
                result.rangeLu, result.TruePeakDb());
  return text;
}

std::string ColumnsOf(const std::string& path) {
  try {
    return Columns(MeasureFileLoudness(path));
  } catch (const std::exception& error) {
    return std::string("error: ") + error.what();
  }
}

}  // namespace

std::vector<std::string> LoudnessColumns(const std::vector<std::string>& paths, size_t jobs) {
  std::vector<std::string> columns(paths.size());
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i = next++; i < paths.size(); i = next++) columns[i] = ColumnsOf(paths[i]);
  };
  std::vector<std::thread> helpers;
  for (size_t j = 1; j < std::min(jobs, paths.size()); ++j) helpers.emplace_back(work);
  work();
  for (std::thread& helper : helpers) helper.join();
  return columns;
}
