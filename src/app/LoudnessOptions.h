// How a run deals with loudness: which kind of normalize (each block to its peak, or the whole
// file by one gain to a loudness target) and which ReplayGain tags a conversion writes. Stored
// in kelvane.ini's own section "loudness"; the window's classic face reads none of it and
// always normalizes block by block.
#pragma once

#include <optional>
#include <string>

class TIniFile;

enum class NormalizeKind { kBlockPeak = 0, kLoudness = 1 };
enum class ReplayGainMode { kOff = 0, kTrack = 1, kAlbum = 2 };

// ReplayGain 2.0's reference level, also the default loudness normalize target.
constexpr double kReferenceLufs = -18.0;
// Loudness targets accepted, in LUFS.
constexpr double kLowestTargetLufs = -70.0;
constexpr double kHighestTargetLufs = 0.0;

struct LoudnessOptions {
  NormalizeKind normalize = NormalizeKind::kBlockPeak;
  double targetLufs = kReferenceLufs;
  ReplayGainMode replayGain = ReplayGainMode::kOff;
};

// Section "loudness": "normalize" (0 block peak, 1 loudness), "target" (LUFS as text, e.g.
// "-18" or "-23.5"), "replaygain" (0 off, 1 track, 2 album). A missing or unusable value
// reads as its default.
LoudnessOptions ReadLoudnessOptions(const TIniFile& settings);
void StoreLoudnessOptions(TIniFile& settings, const LoudnessOptions& options);

// The number the text holds when it is a loudness target in range.
bool ParseTargetLufs(const char* text, double& lufs);
// Why the text is no loudness target; nothing when it is one.
std::optional<std::string> LoudnessTargetProblem(const std::string& text);
