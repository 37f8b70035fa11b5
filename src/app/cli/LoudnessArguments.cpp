#include "app/cli/LoudnessArguments.h"

namespace {

constexpr const char* kNormalizeEquals = "--normalize=";

bool TakeNormalizeKind(const std::string& value, LoudnessOptions& options) {
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

bool TakeReplayGainMode(const std::string& value, ReplayGainMode& mode) {
  if (value == "off")
    mode = ReplayGainMode::kOff;
  else if (value == "track")
    mode = ReplayGainMode::kTrack;
  else if (value == "album")
    mode = ReplayGainMode::kAlbum;
  else
    return false;
  return true;
}

// "--replaygain=MODE" or "--replaygain MODE"; empty when args[i] is not that option.
bool TakeReplayGain(const std::vector<std::string>& args, size_t& i, std::string& value,
                    std::string& error) {
  const std::string name = "--replaygain";
  if (args[i].compare(0, name.size() + 1, name + "=") == 0) {
    value = args[i].substr(name.size() + 1);
    return true;
  }
  if (args[i] != name) return false;
  if (i + 1 >= args.size())
    error = name + " needs a value";
  else
    value = args[++i];
  return true;
}

}  // namespace

bool TakeLoudnessArgument(const std::vector<std::string>& args, size_t& i,
                          LoudnessArguments& loudness, std::string& error) {
  const std::string& arg = args[i];
  std::string value;
  if (arg == "--loudness") {
    loudness.listLoudness = true;
  } else if (arg.compare(0, std::string(kNormalizeEquals).size(), kNormalizeEquals) == 0) {
    value = arg.substr(std::string(kNormalizeEquals).size());
    loudness.normalizeKindGiven = true;
    if (!TakeNormalizeKind(value, loudness.options))
      error = "--normalize takes peak, loudness or loudness:LUFS (LUFS from " +
              std::to_string(static_cast<int>(kLowestTargetLufs)) + " to " +
              std::to_string(static_cast<int>(kHighestTargetLufs)) + "), not '" + value + "'";
  } else if (TakeReplayGain(args, i, value, error)) {
    if (error.empty() && !TakeReplayGainMode(value, loudness.options.replayGain))
      error = "--replaygain takes off, track or album, not '" + value + "'";
  } else {
    return false;
  }
  return true;
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
