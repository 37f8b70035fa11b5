// The command line of velmora-convert.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "settings/SettingsKeys.h"

struct CommandLine {
  std::optional<int> formatIndex;  // --format; else the stored "Forint"
  std::optional<std::string> outputFolder;  // --output; else the stored "Dir"
  bool normalize = false;
  bool listOnly = false;  // --list: add the files, print their rows, convert nothing
  std::optional<int> jobs;  // --jobs: files converted at once; else every usable processor
  bool help = false;
  bool version = false;
  std::vector<std::string> files;
  std::string error;  // set when the arguments cannot be used
};

constexpr int kMaxJobs = settings_keys::kJobs.high;

CommandLine ParseCommandLine(const std::vector<std::string>& args);
std::string UsageText();
