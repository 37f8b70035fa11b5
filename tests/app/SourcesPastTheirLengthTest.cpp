// Sources that play longer than their container says: a VBR MP3 without an info frame (the
// length is guessed from the first frames' bit rate) and a chained OGG (two streams, one after
// the other). Both runs must read them to their real end and treat the last seconds like the
// rest, which ffmpeg's decode of source and output shows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "CoreFixture.h"

using testsupport::DecodedSeconds;
using testsupport::Run;
using testsupport::ShellQuote;

namespace {

constexpr double kTailSeconds = 2.0;

// Overall RMS level in dBFS of the seconds [from, from + length) of a decoded file.
double RmsDb(const std::string& path, double from, double length) {
  auto r = Run("ffmpeg -nostdin -hide_banner -i " + ShellQuote(path) + " -af atrim=start=" +
               std::to_string(from) + ":duration=" + std::to_string(length) +
               ",astats=measure_perchannel=none -f null - 2>&1");
  // The last figure astats prints is the overall one.
  static const std::string kLabel = "RMS level dB: ";
  size_t at = r.output.rfind(kLabel);
  if (at == std::string::npos) return NAN;
  std::string figure = r.output.substr(at + kLabel.size(), 12);
  return figure.compare(0, 4, "-inf") == 0 ? -INFINITY : std::strtod(figure.c_str(), nullptr);
}

void MustRun(const std::string& commandLine) {
  auto r = Run(commandLine);
  ASSERT_EQ(r.exitCode, 0) << commandLine << "\n" << r.output;
}

std::string Sine(int hz) { return "0.95*sin(2*PI*" + std::to_string(hz) + "*t)"; }

// Loud noise first, so the MP3's opening frames have a high bit rate and the guessed length
// falls short; then a near-full-scale tone, which normalising leaves about as it is.
std::string VbrMp3WithoutInfoFrame(const testsupport::TempDir& work) {
  std::string wav = work.file("vbr-source.wav");
  std::string mp3 = work.file("vbr.mp3");
  MustRun("ffmpeg -nostdin -loglevel error -y -f lavfi -i anoisesrc=d=3:a=0.9 -f lavfi -i "
          "'aevalsrc=" + Sine(440) + "|" + Sine(440) + ":d=7' "
          "-filter_complex '[0][1]concat=n=2:v=0:a=1' "
          "-ar 44100 -ac 2 " + ShellQuote(wav));
  MustRun("lame --quiet -V 5 -t " + ShellQuote(wav) + " " + ShellQuote(mp3));  // -t: no info frame
  return mp3;
}

std::string ChainedOgg(const testsupport::TempDir& work) {
  std::string first = work.file("first.ogg");
  std::string second = work.file("second.ogg");
  std::string chained = work.file("chained.ogg");
  for (const auto& [path, hz] : {std::pair{first, 440}, std::pair{second, 660}})
    MustRun("ffmpeg -nostdin -loglevel error -y -f lavfi -i 'aevalsrc=" + Sine(hz) + "|" +
            Sine(hz) + ":d=5' -c:a libvorbis -q:a 5 " + ShellQuote(path));
  MustRun("cat " + ShellQuote(first) + " " + ShellQuote(second) + " > " + ShellQuote(chained));
  return chained;
}

enum class Source { kVbrMp3, kChainedOgg };
enum class Kind { kConvert, kNormalize };

struct LengthCase {
  const char* label;
  Source source;
  Kind kind;
};

void PrintTo(const LengthCase& c, std::ostream* os) { *os << c.label; }

class SourcesPastTheirLength : public CoreFixture,
                               public ::testing::WithParamInterface<LengthCase> {};

}  // namespace

TEST_P(SourcesPastTheirLength, OutputIsWholeAndItsEndSoundsLikeTheSource) {
  const LengthCase& c = GetParam();
  std::string source =
      c.source == Source::kVbrMp3 ? VbrMp3WithoutInfoFrame(work) : ChainedOgg(work);
  core->AddFiles({source});
  ASSERT_EQ(core->rows().size(), 1u) << ::testing::PrintToString(host.information);

  if (c.kind == Kind::kNormalize) core->NormalizeFiles();
  else core->ConvertFiles(kFormatWav);
  const std::string output = core->output_file_name();
  EXPECT_TRUE(host.errors.empty()) << ::testing::PrintToString(host.errors);
  EXPECT_EQ(States(), (std::vector<std::string>{"finish"}));

  double sourceSeconds = DecodedSeconds(source);
  ASSERT_GT(sourceSeconds, 9.5);
  EXPECT_NEAR(DecodedSeconds(output), sourceSeconds, 0.1);

  // The tone ends the file at 0.95 of full scale; levelled to 0.98 it stays within a decibel.
  // Frames levelled on their own would come out as a full-scale square wave, 3 dB louder.
  double from = sourceSeconds - kTailSeconds - 0.5;
  double sourceLevel = RmsDb(source, from, kTailSeconds);
  double outputLevel = RmsDb(output, from, kTailSeconds);
  ASSERT_TRUE(std::isfinite(sourceLevel));
  EXPECT_NEAR(outputLevel, sourceLevel, 1.0) << output;
}

INSTANTIATE_TEST_SUITE_P(
    Sources, SourcesPastTheirLength,
    ::testing::Values(LengthCase{"vbr_mp3_normalized", Source::kVbrMp3, Kind::kNormalize},
                      LengthCase{"vbr_mp3_converted", Source::kVbrMp3, Kind::kConvert},
                      LengthCase{"chained_ogg_normalized", Source::kChainedOgg, Kind::kNormalize},
                      LengthCase{"chained_ogg_converted", Source::kChainedOgg, Kind::kConvert}),
    [](const ::testing::TestParamInfo<LengthCase>& info) { return info.param.label; });
