// A fresh core over a scratch settings folder and a scratch output folder, for every test.
#pragma once

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "RecordingHost.h"
#include "support/TestSupport.h"
#include "app/ConverterCore.h"
#include "settings/IniFile.h"

class CoreFixture : public ::testing::Test {
 protected:
  CoreFixture() {
    setenv("VELMORA_CONFIG_DIR", config.path().c_str(), 1);
    settings = std::make_unique<TIniFile>(SettingsFilePath());
    core = std::make_unique<ConverterCore>(*settings, host);
    outDir = work.file("out");
    settings->WriteString("Format", "Dir", outDir);
  }

  // A tone in the work folder; `codec` as for ffmpeg ("" = the container's default).
  std::string Tone(const std::string& name, double seconds = 1.0, const std::string& codec = "",
                   int rate = 44100, int channels = 2) {
    std::string path = work.file(name);
    testsupport::MakeTone(path, seconds, rate, channels, codec);
    return path;
  }
  std::string Out(const std::string& name) const { return outDir + "/" + name; }
  std::vector<std::string> States() const {
    std::vector<std::string> states;
    for (size_t i = 0; i < core->rows().size(); ++i) states.push_back(core->rows()[i].state);
    return states;
  }

  testsupport::TempDir config;
  testsupport::TempDir work;
  std::string outDir;
  std::unique_ptr<TIniFile> settings;
  RecordingHost host;
  std::unique_ptr<ConverterCore> core;
};

constexpr const char* kMp3Codec = "-c:a libmp3lame -b:a 128k";
constexpr const char* kOggCodec = "-c:a libvorbis -q:a 4";
constexpr const char* kWmaCodec = "-c:a wmav2 -b:a 128k";
