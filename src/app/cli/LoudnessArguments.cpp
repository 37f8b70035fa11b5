#include "app/cli/LoudnessArguments.h"

namespace {

enum LoudnessOptionId { kReplayGain = kFirstLoudnessOption, kLoudness, kAfterLast };

bool ParseNormalizeKind(const std::string& value, LoudnessOptions& options) {
  if (value == "peak") {
    options.normalize = NormalizeKind::kBlockPeak;
    return true;
  }
  const std::string loudness = "loudness";
  if (value.compare(0, loudness.size(), loudness) != 0) return false;
  options.normalize = NormalizeKind::kLoudness;
  if (value.size() == loudness.size()) return true;
  return value[loudness.size()] == ':' &&
         ParseTargetLufs(value.c_str() + loudness.size() + 1, options.targetLufs);
}

bool ParseReplayGainMode(const std::string& value, ReplayGainMode& mode) {
  if (value == "off") {
    mode = ReplayGainMode::kOff;
  } else if (value == "track") {
    mode = ReplayGainMode::kTrack;
  } else if (value == "album") {
    mode = ReplayGainMode::kAlbum;
  } else {
    return false;
  }
  return true;
}

}  // namespace

const std::vector<option> kLoudnessLongOptions = {
    {"replaygain", required_argument, nullptr, kReplayGain},
    {"loudness", no_argument, nullptr, kLoudness}};

bool IsLoudnessOption(int id) { return id >= kFirstLoudnessOption && id < kAfterLast; }

void TakeLoudnessOption(int id, const char* value, LoudnessArguments& loudness,
                        std::string& error) {
  if (id == kLoudness) {
    loudness.listLoudness = true;
  } else if (id == kReplayGain && !ParseReplayGainMode(value, loudness.options.replayGain)) {
    error = "--replaygain takes off, track or album, not '" + std::string(value) + "'";
  }
}

void TakeNormalizeKind(const char* value, LoudnessArguments& loudness, std::string& error) {
  if (!ParseNormalizeKind(value, loudness.options))
    error = "--normalize takes peak, loudness or loudness:LUFS (LUFS from " +
            std::to_string(static_cast<int>(kLowestTargetLufs)) + " to " +
            std::to_string(static_cast<int>(kHighestTargetLufs)) + "), not '" + value + "'";
}

std::string LoudnessUsageText() {
  return "  --normalize=peak|loudness[:LUFS]\n"
         "                peak (the same as --normalize) levels stretch by stretch; loudness\n"
         "                measures each file first, then writes it with one gain that brings\n"
         "                it to LUFS (default -18), less where its true peak would pass\n"
         "                -1 dBTP\n"
         "  --replaygain off|track|album\n"
         "                write ReplayGain 2.0 tags (reference -18 LUFS; Opus: R128 gains)\n"
         "                measured while each output is written; album: over the files of\n"
         "                the run sharing album and album artist. Default: off\n"
         "  --loudness    with --list: add integrated loudness, loudness range and true peak\n";
}
