#include "app/cli/EncoderOptions.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <map>

#include "app/OutputFormatSetup.h"
#include "app/RunSettings.h"
#include "engines/AudioFile2.h"
#include "engines/WmaProfiles.h"
#include "settings/SettingsKeys.h"

namespace {

enum OptionId {
  kBitRate = kFirstEncoderOption, kQuality, kVbr, kCbr, kAbr, kRate, kChannels, kBits,
  kCompression, kWmaProfile, kPreset
};

const char* const kFormatNames[kOutputFormatCount] = {"MP3", "WAV", "WMA", "OGG", "FLAC", "OPUS", "M4A"};
// A conversion to the classic formats reads at most two channels; FLAC, Opus and M4A take up
// to the engine's kMaxChannels.
constexpr int kClassicMaxChannels = 2;

struct Preset {
  const char* name;
  int format;
  const char* description;
  EncoderOptions values;
};

EncoderOptions Values(std::optional<int> bitRate, std::optional<double> quality,
                      std::optional<RateMode> mode, std::optional<int> compression = {},
                      std::optional<int> channels = {}) {
  EncoderOptions o;
  o.bitRate = bitRate;
  o.quality = quality;
  o.rateMode = mode;
  o.compression = compression;
  o.channels = channels;
  return o;
}

const std::vector<Preset>& Presets() {
  static const std::vector<Preset> kPresets = {
      {"phone", kFormatOpus, "Opus 96 kbit/s VBR", Values(96, {}, RateMode::kVbr)},
      {"voice", kFormatOpus, "Opus 32 kbit/s VBR, mono", Values(32, {}, RateMode::kVbr, {}, 1)},
      {"archive", kFormatFlac, "FLAC level 8", Values({}, {}, {}, 8)},
      {"mp3-v0", kFormatMp3, "MP3 VBR quality 0", Values({}, 0, RateMode::kVbr)},
      {"mp3-320", kFormatMp3, "MP3 320 kbit/s CBR", Values(320, {}, RateMode::kCbr)},
      {"aac-256", kFormatM4a, "M4A (AAC) 256 kbit/s", Values(256, {}, {})},
      {"ogg-q", kFormatOgg, "OGG quality 300 (VBR)", Values({}, 300, {})},
  };
  return kPresets;
}

const Preset* FindPreset(const std::string& name) {
  for (const Preset& p : Presets())
    if (name == p.name) return &p;
  return nullptr;
}

// A whole decimal number, nothing else.
std::optional<int> WholeNumber(const char* text) {
  if (!text || !*text) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (*end != '\0' || errno != 0 || value < -1000000000L || value > 1000000000L) return std::nullopt;
  return static_cast<int>(value);
}

std::optional<double> DecimalNumber(const char* text) {
  if (!text || !*text) return std::nullopt;
  char* end = nullptr;
  double value = std::strtod(text, &end);
  if (*end != '\0' || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string FlagName(int id) {
  for (const option& o : kEncoderLongOptions)
    if (o.val == id) return std::string("--") + o.name;
  return "";
}

// Which options each format has a use for.
bool Applies(int format, int id) {
  static const std::map<int, std::vector<int>> kUses = {
      {kFormatMp3, {kBitRate, kQuality, kVbr, kCbr, kRate, kChannels}},
      {kFormatWav, {kRate, kChannels, kBits}},
      {kFormatWma, {kWmaProfile}},
      {kFormatOgg, {kBitRate, kQuality, kVbr, kCbr, kAbr, kRate, kChannels}},
      {kFormatFlac, {kCompression, kBits, kRate, kChannels}},
      {kFormatOpus, {kBitRate, kQuality, kVbr, kCbr, kAbr, kChannels}},
      {kFormatM4a, {kBitRate, kQuality, kVbr, kCbr, kAbr, kRate, kChannels}},
  };
  const std::vector<int>& uses = kUses.at(format);
  return id == kPreset || std::find(uses.begin(), uses.end(), id) != uses.end();
}

class Applier {
 public:
  Applier(const EncoderOptions& o, OutputFormatSettings& f)
      : o_(o), f_(f), name_(kFormatNames[f.formatIndex]) {}

  std::optional<std::string> Run() {
    switch (f_.formatIndex) {
      case kFormatMp3: Mp3(); break;
      case kFormatWav: Wav(); break;
      case kFormatWma: Wma(); break;
      case kFormatOgg: Ogg(); break;
      case kFormatFlac: Flac(); break;
      case kFormatOpus: Opus(); break;
      default: M4a(); break;
    }
    return error_;
  }

 private:
  // The value when it lies within low..high; else the error names the option and the range.
  int Ranged(int id, int value, int low, int high) {
    if ((value < low || value > high) && !error_)
      error_ = FlagName(id) + ": " + name_ + " takes " + std::to_string(low) + " to " +
               std::to_string(high) + ", not " + std::to_string(value);
    return value;
  }
  int WholeQuality(int low, int high) {
    double q = *o_.quality;
    if (q != std::floor(q) && !error_) error_ = "--quality: " + name_ + " takes whole numbers";
    return Ranged(kQuality, static_cast<int>(q), low, high);
  }
  void Refuse(int id, const std::string& why) {
    if (!error_) error_ = FlagName(id) + ": " + why;
  }
  bool Is(RateMode mode) const { return o_.rateMode == mode; }
  template <typename T>
  void Shape(T& s) {
    if (o_.sampleRate) s.sampleRate = *o_.sampleRate;
    if (o_.channels)
      s.channels = Ranged(kChannels, *o_.channels, 1,
                          f_.formatIndex >= kClassicFormatCount ? kMaxChannels : kClassicMaxChannels);
  }

  void Mp3() {
    Mp3RunSettings& m = f_.mp3;
    Shape(m);
    if (Is(RateMode::kVbr)) m.enableVbr = 1;
    if (Is(RateMode::kCbr)) m.enableVbr = 0;
    if (o_.quality) {
      int q = WholeQuality(0, 9);
      if (Is(RateMode::kCbr)) {
        m.quality = q;
      } else {
        m.enableVbr = 1;
        m.vbrQuality = q;
      }
    }
    if (o_.bitRate) (m.enableVbr == 1 ? m.vbrBitRate : m.bitRate) = *o_.bitRate;
  }

  void Wav() {
    WavRunSettings& w = f_.wav;
    w.mode = kWavCustom;
    Shape(w);
    if (o_.bits && *o_.bits != 8 && *o_.bits != 16) Refuse(kBits, "WAV takes 8 or 16");
    if (o_.bits) w.bitsPerSample = *o_.bits;
  }

  void Wma() {
    if (o_.wmaProfile)
      f_.wmaProfileNumber = Ranged(kWmaProfile, *o_.wmaProfile, 1, static_cast<int>(kWmaProfileCount));
  }

  void Ogg() {
    OggRunSettings& g = f_.ogg;
    Shape(g);
    if (o_.quality && (Is(RateMode::kCbr) || Is(RateMode::kAbr)))
      Refuse(kQuality, "OGG quality is its VBR mode; leave out --cbr and --abr");
    if (o_.bitRate && Is(RateMode::kVbr)) Refuse(kBitRate, "OGG VBR is set by --quality");
    if (o_.quality) {
      g.qualityMode = true;
      g.quality = WholeQuality(0, 1000);
    }
    if (Is(RateMode::kVbr)) g.qualityMode = true;
    if (o_.bitRate || Is(RateMode::kCbr) || Is(RateMode::kAbr)) g.qualityMode = false;
    if (o_.bitRate) g.bitRate = *o_.bitRate;
    if (Is(RateMode::kCbr)) g.maxBitRate = g.minBitRate = g.bitRate;
    if (!g.qualityMode) {  // the bounds must hold the nominal rate
      g.maxBitRate = std::max({g.maxBitRate, g.minBitRate, g.bitRate});
      g.minBitRate = std::min({g.minBitRate, g.bitRate});
    }
  }

  void Flac() {
    FlacSettings& s = f_.flac;
    Shape(s);
    if (o_.compression) s.compression = Ranged(kCompression, *o_.compression, 0, kFlacMaxCompression);
    if (o_.bits && *o_.bits != 8 && *o_.bits != 16 && *o_.bits != 24) Refuse(kBits, "FLAC takes 8, 16 or 24");
    if (o_.bits) s.bitsPerSample = *o_.bits;
  }

  void Opus() {
    OpusSettings& s = f_.opus;
    if (o_.channels) s.channels = Ranged(kChannels, *o_.channels, 1, kMaxChannels);
    if (o_.bitRate) s.bitRate = Ranged(kBitRate, *o_.bitRate, kOpusMinKbps, kOpusMaxKbps);
    if (o_.quality) s.complexity = WholeQuality(0, kOpusMaxComplexity);
    if (Is(RateMode::kVbr)) s.rateControl = OpusRateControl::kVbr;
    if (Is(RateMode::kAbr)) s.rateControl = OpusRateControl::kConstrainedVbr;
    if (Is(RateMode::kCbr)) s.rateControl = OpusRateControl::kCbr;
  }

  void M4a() {
    M4aSettings& s = f_.m4a;
    Shape(s);
    const bool averageRate = Is(RateMode::kCbr) || Is(RateMode::kAbr);
    if (o_.quality && averageRate) Refuse(kQuality, "M4A quality is its VBR mode; leave out --cbr and --abr");
    if (o_.bitRate && Is(RateMode::kVbr)) Refuse(kBitRate, "M4A VBR is set by --quality");
    if (o_.bitRate || averageRate) s.vbrQuality = 0;
    if (o_.bitRate) s.bitRate = Ranged(kBitRate, *o_.bitRate, kM4aMinKbps, kM4aMaxKbps);
    if (Is(RateMode::kVbr) && s.vbrQuality == 0) s.vbrQuality = settings_keys::kM4aVbrQuality.runDefault;
    if (o_.quality) {
      double q = *o_.quality;
      if ((q < 0.1 || q > 2.0) && !error_) error_ = "--quality: M4A takes 0.1 to 2.0";
      s.vbrQuality = static_cast<int>(std::lround(q * 10));
    }
  }

  const EncoderOptions& o_;
  OutputFormatSettings& f_;
  std::string name_;
  std::optional<std::string> error_;
};

// The preset's values where no option of the same kind was given.
EncoderOptions WithPreset(const EncoderOptions& given) {
  const Preset* preset = given.preset ? FindPreset(*given.preset) : nullptr;
  if (!preset) return given;
  EncoderOptions merged = given;
  const EncoderOptions& p = preset->values;
  if (!merged.bitRate) merged.bitRate = p.bitRate;
  if (!merged.quality) merged.quality = p.quality;
  if (!merged.rateMode) merged.rateMode = p.rateMode;
  if (!merged.compression) merged.compression = p.compression;
  if (!merged.channels) merged.channels = p.channels;
  return merged;
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : " ") + part;
  return text;
}

}  // namespace

const std::vector<option> kEncoderLongOptions = {
    {"bitrate", required_argument, nullptr, kBitRate},
    {"quality", required_argument, nullptr, kQuality},
    {"vbr", no_argument, nullptr, kVbr},
    {"cbr", no_argument, nullptr, kCbr},
    {"abr", no_argument, nullptr, kAbr},
    {"rate", required_argument, nullptr, kRate},
    {"channels", required_argument, nullptr, kChannels},
    {"bits", required_argument, nullptr, kBits},
    {"compression", required_argument, nullptr, kCompression},
    {"wma-profile", required_argument, nullptr, kWmaProfile},
    {"preset", required_argument, nullptr, kPreset},
};

bool TakeEncoderOption(int id, const char* value, EncoderOptions& options, std::string& error) {
  const std::string flag = FlagName(id);
  options.given.push_back(value ? flag + " " + value : flag);
  options.givenIds.push_back(id);
  auto whole = [&](std::optional<int>& field, int low, int high) {
    std::optional<int> n = WholeNumber(value);
    if (!n || *n < low || *n > high) {
      error = flag + " needs a whole number from " + std::to_string(low) + " to " +
              std::to_string(high) + ", not '" + value + "'";
      return false;
    }
    field = n;
    return true;
  };
  switch (id) {
    case kBitRate: return whole(options.bitRate, 1, 10000);
    case kRate: return whole(options.sampleRate, 1000, 768000);
    case kChannels: return whole(options.channels, 1, 255);
    case kBits: return whole(options.bits, 1, 64);
    case kCompression: return whole(options.compression, 0, 100);
    case kWmaProfile: return whole(options.wmaProfile, 1, 1000);
    case kQuality:
      options.quality = DecimalNumber(value);
      if (!options.quality) error = "--quality needs a number, not '" + std::string(value) + "'";
      return options.quality.has_value();
    case kPreset:
      if (!FindPreset(value)) {
        error = "unknown preset '" + std::string(value) + "' (see --help)";
        return false;
      }
      options.preset = value;
      return true;
    default: break;
  }
  const RateMode mode = id == kVbr ? RateMode::kVbr : id == kCbr ? RateMode::kCbr : RateMode::kAbr;
  if (options.rateMode && *options.rateMode != mode) {
    error = "--vbr, --cbr and --abr exclude each other";
    return false;
  }
  options.rateMode = mode;
  return true;
}

std::optional<int> PresetFormat(const std::string& name) {
  const Preset* preset = FindPreset(name);
  if (!preset) return std::nullopt;
  return preset->format;
}

std::optional<std::string> ApplyEncoderOptions(const EncoderOptions& options,
                                               OutputFormatSettings& format) {
  for (int id : options.givenIds)
    if (!Applies(format.formatIndex, id))
      return FlagName(id) + ": " + kFormatNames[format.formatIndex] + " has no such setting";
  std::optional<std::string> error = Applier(WithPreset(options), format).Run();
  if (error) return error;
  TAudioFile2 encoderCheck;
  std::optional<FormatRefusal> refusal = OutputFormatRefusal(format, encoderCheck);
  if (refusal) return Joined(options.given) + ": " + refusal->text;
  return std::nullopt;
}

std::string EncoderOptionsHelp() {
  std::string text =
      "Encoder settings for this run (the stored settings stay as they are); each format\n"
      "takes only its own:\n"
      "  MP3   --bitrate KBPS (8..320, the MPEG rates of the sample rate), --cbr, or --vbr\n"
      "        with --quality 0..9 (VBR quality, 0 best; with --cbr: algorithm quality) and\n"
      "        --bitrate as the highest frame rate; --rate HZ (8000..48000), --channels 1|2\n"
      "  WAV   --rate HZ, --channels 1|2, --bits 8|16\n"
      "  WMA   --wma-profile 1..47\n"
      "  OGG   --quality 0..1000 (VBR, 0 best), or --bitrate KBPS with --cbr or --abr;\n"
      "        --rate HZ, --channels 1|2\n"
      "  FLAC  --compression 0..8 (default 5), --bits 8|16|24 (default: the source's, 24\n"
      "        for wider ones), --rate HZ, --channels 1..8 (default: the source's)\n"
      "  OPUS  --bitrate 6..510 (default 128), --vbr (default), --abr (constrained VBR) or\n"
      "        --cbr, --quality 0..10 (encoder complexity, default 10), --channels 1..8;\n"
      "        always 48000 Hz\n"
      "  M4A   --bitrate 32..320 (default 192, average), or --vbr with --quality 0.1..2.0;\n"
      "        --rate HZ (an AAC rate, 7350..96000), --channels 1..8\n"
      "  --preset NAME  a named set of the above; it picks the format too:\n";
  for (const Preset& p : Presets())
    text += "        " + std::string(p.name) + std::string(10 - std::string(p.name).size(), ' ') +
            p.description + "\n";
  return text;
}
