// The comment editor on real streams through in-memory read and write functions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>

#include "support/TestSupport.h"
#include "tagformats/vorbis/VorbisCommentEditor.h"
#include "test_ogg_support.h"

using namespace testsupport;
using namespace oggtest;

namespace {

// The editor over bytes in memory, with the outcome of each step as a code and a text.
class Editor {
 public:
  explicit Editor(std::vector<uint8_t> bytes) : input_(std::move(bytes)) {}

  // `writable` false makes every write fail.
  int Open(bool writable = true) {
    writable_ = writable;
    return Step([&] { editor_ = std::make_unique<VorbisCommentEditor>(Reader()); });
  }
  int Write() {
    if (!editor_) return Fail("No stream has been opened");
    return Step([&] {
      editor_->Write([&](const void* data, size_t size) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        if (writable_) output_.insert(output_.end(), bytes, bytes + size);
        return writable_;
      });
    });
  }
  std::string Error() const { return error_; }
  vorbis_comment* Comments() { return editor_ ? &editor_->comments() : nullptr; }
  const std::vector<uint8_t>& Output() const { return output_; }

 private:
  VorbisByteReader Reader() {
    return [this](void* buffer, size_t size) {
      const size_t got = std::min(size, input_.size() - position_);
      if (got) std::memcpy(buffer, input_.data() + position_, got);
      position_ += got;
      return got;
    };
  }
  template <typename Action>
  int Step(Action action) {
    try {
      action();
      error_.clear();
      return 0;
    } catch (const VorbisStreamError& error) {
      return Fail(error.what());
    }
  }
  int Fail(const std::string& text) {
    error_ = text;
    return -1;
  }

  std::vector<uint8_t> input_;
  size_t position_ = 0;
  bool writable_ = true;
  std::unique_ptr<VorbisCommentEditor> editor_;
  std::vector<uint8_t> output_;
  std::string error_;
};

// Rewrites `source` with the comments replaced by `comments` and returns the new file's path.
std::string Rewrite(const TempDir& dir, const std::string& source, const std::vector<std::string>& comments) {
  Editor editor(ReadFileBytes(source));
  EXPECT_EQ(editor.Open(), 0) << editor.Error();
  vorbis_comment_clear(editor.Comments());
  vorbis_comment_init(editor.Comments());
  for (const auto& c : comments) vorbis_comment_add(editor.Comments(), c.c_str());
  EXPECT_EQ(editor.Write(), 0) << editor.Error();
  std::string out = dir.file("out.ogg");
  WriteFileBytes(out, editor.Output());
  return out;
}

void ExpectSameAudio(const std::string& before, const std::string& after) {
  EXPECT_EQ(OggInfoProblems(after), "");
  EXPECT_EQ(AudioGranules(ReadFileBytes(after)), AudioGranules(ReadFileBytes(before)));
  EXPECT_EQ(DecodedMd5(after), DecodedMd5(before));
  EXPECT_DOUBLE_EQ(DecodedSeconds(after), DecodedSeconds(before));
}

// Opening must fail with a message containing `expected`; nothing is written.
void ExpectOpenFails(const std::vector<uint8_t>& bytes, const std::string& expected) {
  Editor editor(bytes);
  EXPECT_NE(editor.Open(), 0);
  EXPECT_NE(editor.Error().find(expected), std::string::npos) << editor.Error();
  EXPECT_EQ(editor.Comments(), nullptr);
  EXPECT_NE(editor.Write(), 0);
  EXPECT_TRUE(editor.Output().empty());
}

void ExpectWriteFails(const std::vector<uint8_t>& bytes, const std::string& expected) {
  Editor editor(bytes);
  ASSERT_EQ(editor.Open(), 0) << editor.Error();
  EXPECT_NE(editor.Write(), 0);
  EXPECT_NE(editor.Error().find(expected), std::string::npos) << editor.Error();
}

// Packet counts at which pages end, so two layouts can be compared.
std::set<size_t> PageEnds(const std::vector<uint8_t>& bytes) {
  std::set<size_t> ends;
  size_t finished = 0;
  for (const auto& page : ListPages(bytes)) {
    finished += static_cast<size_t>(page.packetsFinished);
    if (page.endsWithPacket) ends.insert(finished);
  }
  return ends;
}

OggPage FirstAudioPage(const std::vector<uint8_t>& bytes) {
  int packets = 0;
  for (const auto& page : ListPages(bytes)) {
    if (packets >= 3) return page;
    packets += page.packetsFinished;
  }
  ADD_FAILURE() << "no audio page";
  return {};
}

}  // namespace

TEST(VorbisEditor, ReadsTheEncodersComments) {
  TempDir dir;
  Editor editor(ReadFileBytes(MakeVorbis(dir.file("a.ogg"), 1)));
  ASSERT_EQ(editor.Open(), 0) << editor.Error();
  vorbis_comment* block = editor.Comments();
  ASSERT_NE(block, nullptr);
  ASSERT_EQ(block->comments, 1);
  EXPECT_EQ(std::string(block->user_comments[0], block->comment_lengths[0]).rfind("encoder=", 0), 0u);
}

TEST(VorbisEditor, RewriteKeepsEveryAudioPacketAndGranule) {
  TempDir dir;
  for (const std::string& source : {MakeVorbis(dir.file("ffmpeg.ogg"), 3.3),
                                    MakeVorbis(dir.file("mono8k.ogg"), 2, 1, 8000),
                                    MakeOggenc(dir.file("oggenc.ogg"), 2.5)}) {
    SCOPED_TRACE(source);
    std::string out = Rewrite(dir, source, {"TITLE=x"});
    ExpectSameAudio(source, out);
    EXPECT_EQ(ListComments(out), std::vector<std::string>{"TITLE=x"});
  }
}

TEST(VorbisEditor, PacketsLaidOutAnewCarryTheirExactGranules) {
  // Small pages make packets span pages; full pages make a spanning packet plus the packets
  // after it overflow one page, so a page then ends on a packet the input page did not end on.
  TempDir dir;
  // Noise at top quality gives packets of several segments each. The seed is fixed: with some
  // random noise no page of the full-page layout ends elsewhere than an input page did.
  std::string source = dir.file("noise.ogg");
  CommandResult made = testsupport::Run("ffmpeg -nostdin -v error -y -f lavfi -i anoisesrc=d=3:c=pink:seed=7 -ac 2 "
                                        "-c:a libvorbis -q:a 10 " + ShellQuote(source));
  ASSERT_EQ(made.exitCode, 0) << made.output;
  for (int pageBytes : {300, 255 * 255}) {
    SCOPED_TRACE(pageBytes);
    std::string input = dir.file("paged.ogg");
    std::vector<int64_t> granules = Repaginate(source, input, pageBytes);
    ASSERT_EQ(OggInfoProblems(input), "");
    std::string out = Rewrite(dir, input, {"TITLE=" + std::string(3000, 't')});
    ExpectPageGranulesMatch(ReadFileBytes(out), granules);
    std::set<size_t> inputEnds = PageEnds(ReadFileBytes(input)), outputEnds = PageEnds(ReadFileBytes(out));
    if (pageBytes > 255 * 4) {
      EXPECT_FALSE(std::includes(inputEnds.begin(), inputEnds.end(), outputEnds.begin(), outputEnds.end()));
    }
    EXPECT_EQ(OggInfoProblems(out), "");
    EXPECT_EQ(DecodedMd5(out), DecodedMd5(input));
  }
}

TEST(VorbisEditor, HeaderPagesAreFramedAsOggVorbisRequires) {
  TempDir dir;
  std::string source = MakeVorbis(dir.file("a.ogg"), 2);
  // A comment of 200 KB spans many pages.
  std::string out = Rewrite(dir, source, {"COMMENT=" + std::string(200000, 'c'), "TITLE=t"});
  ExpectSameAudio(source, out);

  auto pages = ListPages(ReadFileBytes(out));
  ASSERT_GT(pages.size(), 4u);
  EXPECT_TRUE(pages[0].first);
  EXPECT_EQ(pages[0].packetsFinished, 1);  // identification header alone
  EXPECT_EQ(pages[0].granule, 0);
  int packets = 0;
  size_t page = 1;
  for (; page < pages.size() && packets < 2; ++page) {
    EXPECT_EQ(pages[page].granule, pages[page].packetsFinished ? 0 : -1);
    packets += pages[page].packetsFinished;
  }
  EXPECT_EQ(packets, 2);
  EXPECT_TRUE(pages[page - 1].endsWithPacket);  // setup header ends its page
  EXPECT_FALSE(pages[page].continued);
  EXPECT_TRUE(pages.back().last);

  auto mutagen = ReadWithMutagen(out);
  ASSERT_TRUE(mutagen.ok) << mutagen.error;
  EXPECT_EQ(mutagen.values["comment"].size(), 200000u);
}

TEST(VorbisEditor, RefusesWhatIsNotOneOggVorbisStream) {
  TempDir dir;
  std::vector<uint8_t> vorbis = ReadFileBytes(MakeVorbis(dir.file("a.ogg"), 1));

  ExpectOpenFails({}, "not an Ogg bitstream");
  ExpectOpenFails(std::vector<uint8_t>(5000, 'x'), "not an Ogg bitstream");

  MakeTone(dir.file("flac.ogg"), 1, 44100, 1, "-c:a flac");
  ExpectOpenFails(ReadFileBytes(dir.file("flac.ogg")), "not Ogg Vorbis");

  CommandResult r = testsupport::Run("ffmpeg -nostdin -v error -y -f lavfi -i sine=duration=1 -f lavfi -i "
                        "sine=frequency=880:duration=1 -map 0 -map 1 -c:a libvorbis " +
                        ShellQuote(dir.file("two.ogg")));
  ASSERT_EQ(r.exitCode, 0) << r.output;
  ExpectOpenFails(ReadFileBytes(dir.file("two.ogg")), "Multiplexed");

  size_t audioStart = FirstAudioPage(vorbis).offset;
  ExpectOpenFails(std::vector<uint8_t>(vorbis.begin(), vorbis.begin() + 100), "truncated");
  ExpectWriteFails(std::vector<uint8_t>(vorbis.begin(), vorbis.end() - 30), "truncated");
  ExpectWriteFails(std::vector<uint8_t>(vorbis.begin(), vorbis.begin() + audioStart), "truncated");

  std::vector<uint8_t> chained = vorbis;
  std::vector<uint8_t> second = ReadFileBytes(MakeOggenc(dir.file("b.ogg"), 1));
  chained.insert(chained.end(), second.begin(), second.end());
  ExpectWriteFails(chained, "Chained");

  std::vector<uint8_t> corrupt = vorbis;
  corrupt[audioStart + 100] ^= 0x55;  // checksum no longer matches
  ExpectWriteFails(corrupt, "Corrupt");
}

TEST(VorbisEditor, TrailingJunkAfterTheLastPageIsDropped) {
  TempDir dir;
  std::string source = MakeVorbis(dir.file("a.ogg"), 1);
  std::vector<uint8_t> bytes = ReadFileBytes(source);
  std::string id3v1(128, ' ');
  id3v1.replace(0, 3, "TAG");
  bytes.insert(bytes.end(), id3v1.begin(), id3v1.end());
  Editor editor(bytes);
  ASSERT_EQ(editor.Open(), 0) << editor.Error();
  ASSERT_EQ(editor.Write(), 0) << editor.Error();
  WriteFileBytes(dir.file("out.ogg"), editor.Output());
  ExpectSameAudio(source, dir.file("out.ogg"));
}

TEST(VorbisEditor, SecondWriteAndWriteFailuresAreReported) {
  TempDir dir;
  std::vector<uint8_t> vorbis = ReadFileBytes(MakeVorbis(dir.file("a.ogg"), 1));
  {
    Editor editor(vorbis);
    ASSERT_EQ(editor.Open(), 0);
    ASSERT_EQ(editor.Write(), 0);
    EXPECT_NE(editor.Write(), 0);  // the input has been used up
    EXPECT_NE(editor.Error().find("already been written"), std::string::npos) << editor.Error();
  }
  {
    Editor editor(vorbis);
    ASSERT_EQ(editor.Open(false), 0);
    EXPECT_NE(editor.Write(), 0);
    EXPECT_NE(editor.Error().find("Write error"), std::string::npos) << editor.Error();
  }
}
