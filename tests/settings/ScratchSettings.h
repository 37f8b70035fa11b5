// A scratch settings folder per test: VELMORA_CONFIG_DIR points at it while the test runs, so
// no test ever touches the user's real kelvane.ini.
#pragma once

#include "settings/IniFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <string>
#include <vector>

class ScratchSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* previous = std::getenv("VELMORA_CONFIG_DIR");
    hadPrevious_ = previous != nullptr;
    if (previous) previous_ = previous;
    setenv("VELMORA_CONFIG_DIR", dir_.path().c_str(), 1);
    path_ = SettingsFilePath();
  }
  void TearDown() override {
    if (hadPrevious_) setenv("VELMORA_CONFIG_DIR", previous_.c_str(), 1);
    else unsetenv("VELMORA_CONFIG_DIR");
  }

  std::string Content() const {
    std::vector<uint8_t> bytes = testsupport::ReadFileBytes(path_);
    return std::string(bytes.begin(), bytes.end());
  }
  void SetContent(const std::string& text) const { testsupport::WriteFileText(path_, text); }

  static std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* d = opendir(folder.c_str())) {
      while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name != "." && name != "..") names.push_back(name);
      }
      closedir(d);
    }
    return names;
  }

  testsupport::TempDir dir_;
  std::string path_;

 private:
  bool hadPrevious_ = false;
  std::string previous_;
};
