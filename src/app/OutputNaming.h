// Output file names of the runs: the source's name with a new extension (conversion) or a
// "Normalize_" prefix (normalize), numbered (1) to (100) when the plain name is taken.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "base/AudioFormat.h"

using FileExistsFn = std::function<bool(const std::string& path)>;

// The part after the last '/', or the whole path.
std::string FileNameOf(const std::string& path);
// The last extension with its dot, letter case kept; empty when the name has none.
std::string ExtensionOf(const std::string& path);

constexpr int kMaxNameNumber = 100;
constexpr const char* kNormalizePrefix = "Normalize_";
constexpr const char* kWavExtension = ".wav";

// An output name and the numbered names tried when it is taken: numberedHead + "(k)" + extension.
struct OutputCandidate {
  std::string plain;
  std::string numberedHead;
  std::string extension;
};

// The candidate's plain name when free, else the first free numbered one; nothing when all are
// taken.
std::optional<std::string> FirstFreeName(const OutputCandidate& candidate,
                                         const FileExistsFn& exists);
// The names the two runs give a source in `folder` (ends in '/').
OutputCandidate ConvertedCandidate(const std::string& folder, const std::string& source,
                                   const std::string& extension);
// A normalized source whose name does not say its format (`sourceFormat`, decided when it was
// added) is written as WAV.
OutputCandidate NormalizedCandidate(const std::string& folder, const std::string& source,
                                    AudioFormat sourceFormat);
// The source's file name without its last extension.
std::string StemOf(const std::string& path);

// `folder` ends in '/'. Nothing when the plain name and all numbered names exist. `exists`
// says whether a name is taken.
std::optional<std::string> ConvertedOutputName(const std::string& folder, const std::string& source,
                                               const std::string& extension,
                                               const FileExistsFn& exists);
// What a normalized source is written as: its own format when its name's extension (any
// letter case) says that format, else WAV.
AudioFormat NormalizedOutputFormat(const std::string& source, AudioFormat sourceFormat);
// The source's name behind the prefix; a source written as WAV although its name says
// otherwise gets its last extension replaced by ".wav", or ".wav" added when it has none.
std::optional<std::string> NormalizedOutputName(const std::string& folder,
                                                const std::string& source,
                                                AudioFormat sourceFormat,
                                                const FileExistsFn& exists);
