// Shared test helpers: scratch folders, real audio made by ffmpeg, and independent readers
// (ffprobe, Debian's python3-mutagen) to check what our code wrote.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

// A fresh folder below $TMPDIR, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct CommandResult {
  int exitCode = -1;
  std::string output;  // stdout and stderr together
};

// Runs a shell command line; output is captured.
CommandResult Run(const std::string& commandLine);

// Single-quotes a text for the shell.
std::string ShellQuote(const std::string& text);

// Writes a sine tone with ffmpeg. `codecArgs` picks the encoding, e.g. "-c:a libmp3lame -b:a 128k";
// empty means the container's default. Fails the current test (ADD_FAILURE) when ffmpeg fails.
bool MakeTone(const std::string& path, double seconds, int sampleRate = 44100, int channels = 2,
              const std::string& codecArgs = "");

// True when this ffmpeg build has the named encoder ("libopus", "libspeex", …).
bool FfmpegCanEncode(const std::string& encoder);

// Writes one second of 1-bit DSD stereo at 2.8224 MHz (a 1 kHz square wave) by hand, as a DSF
// file or, with `dff`, as a DSDIFF file: ffmpeg reads both but writes neither.
void WriteDsdSecond(const std::string& path, bool dff);

// ffprobe's view of the first audio stream and the container.
struct ProbeInfo {
  bool ok = false;
  std::string codec;       // codec_name, e.g. "mp3", "vorbis", "wmav2", "pcm_s16le"
  std::string format;      // format_name, e.g. "mp3", "ogg", "asf", "wav"
  int sampleRate = 0;
  int channels = 0;
  int bitsPerSample = 0;   // for PCM
  long bitRate = 0;        // stream bit rate in bit/s when known, else the container's
  double duration = 0;     // seconds, as ffprobe reports it (header)
  std::map<std::string, std::string> tags;  // container and stream tags, keys lower-cased
};
ProbeInfo Probe(const std::string& path);

// Decodes the whole file with ffmpeg and returns its exact length in seconds.
double DecodedSeconds(const std::string& path);

// Tags as python3-mutagen reads them: key → first value as text. For MP3 the keys are ID3
// frame ids (TIT2, TPE1, TALB, TYER/TDRC, TRCK, TCON, COMM), for OGG, FLAC and Opus the Vorbis
// comment keys lower-cased, for WMA the ASF attribute names, for M4A the atom names (©nam,
// trkn as its number alone). `ok` false when mutagen could not read the file.
struct MutagenTags {
  bool ok = false;
  std::string error;
  std::map<std::string, std::string> values;
};
MutagenTags ReadWithMutagen(const std::string& path);

// Runs a small python3 program under Debian's /usr/bin/python3 (which has mutagen).
CommandResult RunPython(const std::string& program, const std::vector<std::string>& args = {});

std::vector<uint8_t> ReadFileBytes(const std::string& path);
// The file's bytes with every Ogg page's stream serial and checksum zeroed (for ".ogg" and ".opus"; empty
// when the file is not Ogg pages throughout), so two encodings of the same audio compare.
std::vector<uint8_t> ComparableAudioBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteFileText(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);

}  // namespace testsupport
