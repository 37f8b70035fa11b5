// Configures a writer (and its MP3 encoder object) for a conversion run from the settings the
// run read at its start.
#pragma once

#include <optional>
#include <string>

class TAudioFile2;
class TAudioFile2LameEnc;
struct OutputFormatSettings;

constexpr const char* kMp3Refusal = "This MP3 format is not supported.";
constexpr const char* kOggRefusal = "This OGG format is not supported.";
constexpr const char* kFlacRefusal = "This FLAC format is not supported.";
constexpr const char* kOpusRefusal = "This OPUS format is not supported.";
constexpr const char* kM4aRefusal = "This M4A format is not supported.";

struct FormatRefusal {
  std::string text;    // kMp3Refusal, kOggRefusal, ...
  std::string detail;  // the refused values and the keys that choose them, ending "under [mp3]"
};

// The refusal when the encoder of the settings' format cannot produce their combination.
// Asks the encoder only; nothing is set. The run asks it first; so can a settings page.
std::optional<FormatRefusal> OutputFormatRefusal(const OutputFormatSettings& format,
                                                 const TAudioFile2& writer);

// The refusal when the encoder cannot produce the stored combination; nothing when the writer
// is set up. Only what the format's settings name is set; the rest keeps earlier values.
std::optional<FormatRefusal> SetUpOutputFormat(const OutputFormatSettings& format,
                                               TAudioFile2& writer, TAudioFile2LameEnc& encoder);
