#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace testsupport {

TempDir::TempDir() {
  std::string base = fs::temp_directory_path().string() + "/velmora-test-XXXXXX";
  std::vector<char> buf(base.begin(), base.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
  path_ = buf.data();
}

TempDir::~TempDir() {
  std::error_code ec;
  // Tests may leave read-only files or folders behind; make them removable first.
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::end(it); it.increment(ec))
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::string ShellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += "'\\''";
    else out += c;
  }
  return out + "'";
}

CommandResult Run(const std::string& commandLine) {
  CommandResult result;
  FILE* pipe = popen((commandLine + " 2>&1").c_str(), "r");
  if (!pipe) return result;
  std::array<char, 4096> buf{};
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) result.output.append(buf.data(), n);
  int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

bool FfmpegCanEncode(const std::string& encoder) {
  const CommandResult r = Run("ffmpeg -hide_banner -h encoder=" + ShellQuote(encoder));
  return r.exitCode == 0 && r.output.rfind("Encoder " + encoder + " ", 0) == 0;
}

bool MakeTone(const std::string& path, double seconds, int sampleRate, int channels,
              const std::string& codecArgs) {
  std::ostringstream cmd;
  cmd << "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "
      << ShellQuote("sine=frequency=440:sample_rate=" + std::to_string(sampleRate) +
                    ":duration=" + std::to_string(seconds))
      << " -ac " << channels << " " << codecArgs << " " << ShellQuote(path);
  CommandResult r = Run(cmd.str());
  if (r.exitCode != 0) {
    ADD_FAILURE() << "ffmpeg could not make " << path << ": " << r.output;
    return false;
  }
  return true;
}

CommandResult RunPython(const std::string& program, const std::vector<std::string>& args) {
  std::string cmd = "/usr/bin/python3 -c " + ShellQuote(program);
  for (const auto& a : args) cmd += " " + ShellQuote(a);
  return Run(cmd);
}

// key=value lines keep the parsing trivial on both sides.
static std::map<std::string, std::string> ParseKeyValueLines(const std::string& text) {
  std::map<std::string, std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    out[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return out;
}

ProbeInfo Probe(const std::string& path) {
  ProbeInfo info;
  CommandResult r = Run("ffprobe -v error -select_streams a:0 -show_entries "
                        "stream=codec_name,sample_rate,channels,bits_per_sample,bits_per_raw_sample,bit_rate:"
                        "format=format_name,duration,bit_rate:format_tags:stream_tags -of flat=s=_ " +
                        ShellQuote(path));
  if (r.exitCode != 0) return info;
  auto kv = ParseKeyValueLines(r.output);
  auto unquote = [](std::string v) {
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    return v;
  };
  auto get = [&](const std::string& key) { return kv.count(key) ? unquote(kv[key]) : std::string(); };
  auto num = [](const std::string& v) { return v.empty() || v == "N/A" ? 0.0 : std::atof(v.c_str()); };
  info.ok = !get("streams_stream_0_codec_name").empty();
  info.codec = get("streams_stream_0_codec_name");
  info.format = get("format_format_name");
  info.sampleRate = static_cast<int>(num(get("streams_stream_0_sample_rate")));
  info.channels = static_cast<int>(num(get("streams_stream_0_channels")));
  int bps = static_cast<int>(num(get("streams_stream_0_bits_per_sample")));
  info.bitsPerSample = bps ? bps : static_cast<int>(num(get("streams_stream_0_bits_per_raw_sample")));
  long streamRate = static_cast<long>(num(get("streams_stream_0_bit_rate")));
  info.bitRate = streamRate ? streamRate : static_cast<long>(num(get("format_bit_rate")));
  info.duration = num(get("format_duration"));
  for (const auto& [key, value] : kv) {
    for (const std::string prefix : {"format_tags_", "streams_stream_0_tags_"}) {
      if (key.rfind(prefix, 0) == 0) {
        std::string name = key.substr(prefix.size());
        for (auto& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        info.tags[name] = unquote(value);
      }
    }
  }
  return info;
}

double DecodedSeconds(const std::string& path) {
  // Decode to raw PCM at the file's own rate and count the samples.
  ProbeInfo p = Probe(path);
  if (!p.ok || p.sampleRate <= 0) return -1;
  CommandResult r = Run("ffmpeg -nostdin -v error -i " + ShellQuote(path) +
                        " -map 0:a:0 -ac 1 -f s16le - | wc -c");
  if (r.exitCode != 0) return -1;
  return std::atof(r.output.c_str()) / 2.0 / p.sampleRate;
}

MutagenTags ReadWithMutagen(const std::string& path) {
  // ID3 keys stay frame ids (COMM::eng → COMM), Vorbis keys are lower-cased, ASF names kept.
  static const char* kProgram = R"PY(
import sys, mutagen
try:
    f = mutagen.File(sys.argv[1])
except Exception as e:
    print("ERROR=" + repr(e).replace("\n", " ")); sys.exit(0)
if f is None:
    print("ERROR=unknown format"); sys.exit(0)
print("OK=1")
kind = type(f).__name__
tags = f.tags
items = list(tags.items()) if tags is not None else []
for key, value in items:
    if hasattr(value, "text"):
        text = value.text[0] if value.text else ""
        key = key.split(":")[0]
    elif isinstance(value, list):
        v = value[0] if value else ""
        text = v.value if hasattr(v, "value") else v
        if isinstance(text, tuple):  # MP4 trkn/disk: (number, total)
            text = text[0]
    else:
        text = value
    if kind in ("OggVorbis", "OggOpus", "FLAC"):
        key = key.lower()
    text = str(text).replace("\r", "\\r").replace("\n", "\\n")
    print(key + "=" + text)
)PY";
  MutagenTags tags;
  CommandResult r = RunPython(kProgram, {path});
  auto kv = ParseKeyValueLines(r.output);
  if (kv.count("ERROR")) {
    tags.error = kv["ERROR"];
    return tags;
  }
  tags.ok = r.exitCode == 0 && kv.count("OK");
  if (!tags.ok) tags.error = r.output;
  kv.erase("OK");
  tags.values = kv;
  return tags;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteFileText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

}  // namespace testsupport

namespace testsupport {

namespace {

void PutNumber(std::vector<uint8_t>& out, uint64_t value, int bytes, bool bigEndian) {
  for (int i = 0; i < bytes; ++i)
    out.push_back(static_cast<uint8_t>(value >> (8 * (bigEndian ? bytes - 1 - i : i))));
}

void PutText(std::vector<uint8_t>& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
}

}  // namespace

void WriteDsdSecond(const std::string& path, bool dff) {
  constexpr uint32_t kRate = 2822400, kBlock = 4096;
  constexpr uint64_t kBytesPerChannel = kRate / 8;
  auto square = [](uint64_t byte) -> uint8_t { return (byte * 8 * 2000 / kRate) % 2 ? 0xFF : 0x00; };
  std::vector<uint8_t> f;
  auto le = [&](uint64_t v, int n) { PutNumber(f, v, n, false); };
  auto be = [&](uint64_t v, int n) { PutNumber(f, v, n, true); };
  if (dff) {  // DSDIFF: big-endian chunks, the channels' bytes interleaved
    PutText(f, "FRM8"); be(0, 8); PutText(f, "DSD ");
    PutText(f, "FVER"); be(4, 8); be(0x01050000, 4);
    PutText(f, "PROP"); be(74, 8); PutText(f, "SND ");
    PutText(f, "FS  "); be(4, 8); be(kRate, 4);
    PutText(f, "CHNL"); be(10, 8); be(2, 2); PutText(f, "SLFTSRGT");
    PutText(f, "CMPR"); be(19, 8); PutText(f, "DSD \x0Enot compressed"); f.push_back(0);
    PutText(f, "DSD "); be(2 * kBytesPerChannel, 8);
    for (uint64_t i = 0; i < 2 * kBytesPerChannel; ++i) f.push_back(square(i / 2));
    for (int i = 0; i < 8; ++i) f[4 + i] = static_cast<uint8_t>((f.size() - 12) >> (8 * (7 - i)));
  } else {  // DSF: little-endian chunks, blocks of 4096 bytes per channel in turn
    const uint64_t blocks = (kBytesPerChannel + kBlock - 1) / kBlock;
    const uint64_t data = blocks * kBlock * 2;
    PutText(f, "DSD "); le(28, 8); le(28 + 52 + 12 + data, 8); le(0, 8);
    PutText(f, "fmt "); le(52, 8); le(1, 4); le(0, 4); le(2, 4); le(2, 4); le(kRate, 4);
    le(1, 4); le(kRate, 8); le(kBlock, 4); le(0, 4);
    PutText(f, "data"); le(12 + data, 8);
    for (uint64_t b = 0; b < blocks; ++b)
      for (int channel = 0; channel < 2; ++channel)
        for (uint64_t i = b * kBlock; i < (b + 1) * kBlock; ++i) f.push_back(square(i));
  }
  WriteFileBytes(path, f);
}

namespace {

// Each Ogg stream gets a random serial number, and every page's checksum covers it; zeroing
// both leaves everything the encoders and the tag writer decided.
std::vector<uint8_t> WithoutOggSerials(std::vector<uint8_t> bytes) {
  size_t at = 0;
  while (at + 27 <= bytes.size()) {
    if (bytes[at] != 'O' || bytes[at + 1] != 'g' || bytes[at + 2] != 'g' || bytes[at + 3] != 'S')
      return {};
    size_t segments = bytes[at + 26];
    if (at + 27 + segments > bytes.size()) return {};
    size_t body = 0;
    for (size_t i = 0; i < segments; ++i) body += bytes[at + 27 + i];
    std::fill(bytes.begin() + static_cast<long>(at + 14), bytes.begin() + static_cast<long>(at + 18), 0);
    std::fill(bytes.begin() + static_cast<long>(at + 22), bytes.begin() + static_cast<long>(at + 26), 0);
    at += 27 + segments + body;
  }
  return at == bytes.size() ? bytes : std::vector<uint8_t>{};
}

}  // namespace

std::vector<uint8_t> ComparableAudioBytes(const std::string& path) {
  std::vector<uint8_t> bytes = ReadFileBytes(path);
  const std::string extension = std::filesystem::path(path).extension();
  const bool ogg = extension == ".ogg" || extension == ".opus";
  return ogg ? WithoutOggSerials(std::move(bytes)) : bytes;
}

}  // namespace testsupport
