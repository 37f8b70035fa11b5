// The encoder options of velmora-convert: every setting of every output format for one run,
// laid over the stored settings without writing them back. Each option is checked against
// the chosen format (an option the format has no use for, a value outside its range, or a
// combination its encoder refuses is a usage error that names the option).
#pragma once

#include <getopt.h>

#include <optional>
#include <string>
#include <vector>

struct OutputFormatSettings;

enum class RateMode { kVbr, kCbr, kAbr };

struct EncoderOptions {
  std::optional<int> bitRate;      // --bitrate, kbit/s
  std::optional<double> quality;   // --quality, on the format's own scale
  std::optional<RateMode> rateMode;  // --vbr, --cbr, --abr
  std::optional<int> sampleRate;   // --rate, Hz
  std::optional<int> channels;     // --channels
  std::optional<int> bits;         // --bits (WAV, FLAC)
  std::optional<int> compression;  // --compression (FLAC)
  std::optional<int> wmaProfile;   // --wma-profile, 1..47
  std::optional<std::string> preset;
  std::vector<std::string> given;  // the options as given, to name them in refusals
  std::vector<int> givenIds;       // and their getopt ids, to check they fit the format

  bool Any() const { return !given.empty(); }
};

// getopt_long entries for the options above; their values start at kFirstEncoderOption.
constexpr int kFirstEncoderOption = 1000;
extern const std::vector<option> kEncoderLongOptions;

// Takes one option getopt_long returned (`id` from kEncoderLongOptions, its argument or null);
// false with `error` set when its value is not usable.
bool TakeEncoderOption(int id, const char* value, EncoderOptions& options, std::string& error);

// The format a preset makes; nothing for an unknown name.
std::optional<int> PresetFormat(const std::string& name);

// Lays the options (a preset's values first, then the options given) over `format`, whose
// formatIndex is the run's format. The error text names the option when one does not fit.
std::optional<std::string> ApplyEncoderOptions(const EncoderOptions& options,
                                               OutputFormatSettings& format);

// The options' part of --help: each format's settings and their ranges, and the presets.
std::string EncoderOptionsHelp();
