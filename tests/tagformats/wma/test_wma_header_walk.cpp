// The ASF header walk on hand-built byte buffers: both header layouts, and headers whose sizes,
// counts and lengths lie.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tagformats/wma/AsfHeaderWalk.h"
#include "tagformats/wma/WmaModule.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Guid(uint32_t a, uint16_t b, uint16_t c, uint64_t d) {
  Bytes g;
  for (int i = 0; i < 4; ++i) g.push_back(uint8_t(a >> (8 * i)));
  for (int i = 0; i < 2; ++i) g.push_back(uint8_t(b >> (8 * i)));
  for (int i = 0; i < 2; ++i) g.push_back(uint8_t(c >> (8 * i)));
  for (int i = 7; i >= 0; --i) g.push_back(uint8_t(d >> (8 * i)));
  return g;
}
const Bytes kHeader = Guid(0x75B22630, 0x668E, 0x11CF, 0xA6D900AA0062CE6CULL);
const Bytes kContentDescription = Guid(0x75B22633, 0x668E, 0x11CF, 0xA6D900AA0062CE6CULL);
const Bytes kExtendedContent = Guid(0xD2D0A440, 0xE307, 0x11D2, 0x97F000A0C95EA850ULL);
const Bytes kFileProperties = Guid(0x8CABDCA1, 0xA947, 0x11CF, 0x8EE400C00C205365ULL);
const Bytes kEarlyHeader = Guid(0xD6E229D1, 0x35DA, 0x11D1, 0x903400A0C90349BEULL);
const Bytes kEarlyDescription = Guid(0xD6E229D5, 0x35DA, 0x11D1, 0x903400A0C90349BEULL);

void Put(Bytes& out, uint64_t value, int width) {
  for (int i = 0; i < width; ++i) out.push_back(uint8_t(value >> (8 * i)));
}
void Put(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }
Bytes operator+(Bytes a, const Bytes& b) {
  Put(a, b);
  return a;
}
Bytes Utf16(const std::u16string& text, bool terminated = true) {
  Bytes out;
  for (char16_t u : text) Put(out, u, 2);
  if (terminated) Put(out, 0, 2);
  return out;
}

// An object with its prefix; `size` overrides the true size.
Bytes Object(const Bytes& id, const Bytes& body, uint64_t size = 0) {
  Bytes out = id;
  Put(out, size != 0 ? size : 24 + body.size(), 8);
  Put(out, body);
  return out;
}
Bytes StandardHeader(const Bytes& children, uint64_t size = 0, uint32_t count = 2) {
  Bytes body;
  Put(body, count, 4);
  Put(body, 0x0201, 2);
  Put(body, children);
  return Object(kHeader, body, size);
}
Bytes ContentDescription(const std::u16string& title, const std::u16string& author,
                         const std::u16string& copyright, const std::u16string& description) {
  const Bytes strings[] = {Utf16(title), Utf16(author), Utf16(copyright), Utf16(description), Utf16(u"")};
  Bytes body;
  for (const Bytes& s : strings) Put(body, s.size(), 2);
  for (const Bytes& s : strings) Put(body, s);
  return Object(kContentDescription, body);
}
Bytes TextEntry(const std::u16string& name, const std::u16string& value) {
  Bytes e, n = Utf16(name), v = Utf16(value);
  Put(e, n.size(), 2), Put(e, n), Put(e, 0, 2), Put(e, v.size(), 2), Put(e, v);
  return e;
}
Bytes NumberEntry(const std::u16string& name, uint16_t type, uint64_t value, int width) {
  Bytes e, n = Utf16(name);
  Put(e, n.size(), 2), Put(e, n), Put(e, type, 2), Put(e, width, 2), Put(e, value, width);
  return e;
}
Bytes ExtendedContent(const std::vector<Bytes>& entries, uint16_t count) {
  Bytes body;
  Put(body, count, 2);
  for (const Bytes& e : entries) Put(body, e);
  return Object(kExtendedContent, body);
}
Bytes ExtendedContent(const std::vector<Bytes>& entries) {
  return ExtendedContent(entries, static_cast<uint16_t>(entries.size()));
}
Bytes EarlyEntry(uint8_t kind, const std::u16string& name, const std::u16string& value) {
  Bytes e;
  Put(e, kind, 1), Put(e, 0, 4), Put(e, name.size(), 2), Put(e, value.size(), 2);
  Put(e, Utf16(name, false)), Put(e, Utf16(value, false));
  return e;
}
Bytes EarlyFile(const std::vector<Bytes>& entries, uint16_t count) {
  Bytes body;
  Put(body, count, 2);
  for (const Bytes& e : entries) Put(body, e);
  const Bytes description = Object(kEarlyDescription, body);
  Bytes file = Object(kEarlyHeader, description);
  Put(file, Object(Guid(0x75B22636, 0x668E, 0x11CF, 0xA6D900AA0062CE6CULL), Bytes(100, 0)));
  return file;
}

AsfHeaderTags Walk(const Bytes& bytes) {
  BufferByteSource source(bytes.data(), bytes.size());
  return WalkAsfHeader(source);
}

Bytes TypicalHeader() {
  return StandardHeader(
      Object(kFileProperties, Bytes(80, 0x11)) +
      ContentDescription(u"Song", u"Singer", u"(c) Label", u"") +
      ExtendedContent({TextEntry(u"WM/AlbumTitle", u"Record"), TextEntry(u"WM/Year", u"2003"),
                       TextEntry(u"WM/Genre", u"Blues"), TextEntry(u"Description", u"Liner notes"),
                       NumberEntry(u"WM/TrackNumber", 3, 12, 4)}));
}

TEST(AsfHeaderWalk, StandardLayoutGivesBothDescriptionObjects) {
  const AsfHeaderTags tags = Walk(TypicalHeader());
  EXPECT_TRUE(tags.found);
  EXPECT_EQ(tags.title, "Song");
  EXPECT_EQ(tags.artist, "Singer");
  EXPECT_EQ(tags.copyright, "(c) Label");
  EXPECT_EQ(tags.comment, "Liner notes");  // the empty description does not hide it
  EXPECT_EQ(tags.album, "Record");
  EXPECT_EQ(tags.year, "2003");
  EXPECT_EQ(tags.genre, "Blues");
  EXPECT_EQ(tags.track, 12u);
}

TEST(AsfHeaderWalk, TrackNumberWinsOverTrackInAnyValueForm) {
  auto track = [](std::vector<Bytes> entries) {
    return Walk(StandardHeader(ExtendedContent(entries))).track;
  };
  EXPECT_EQ(track({TextEntry(u"WM/Track", u"4")}), 4u);
  EXPECT_EQ(track({TextEntry(u"WM/Track", u"4"), TextEntry(u"WM/TrackNumber", u"6/10")}), 6u);
  EXPECT_EQ(track({NumberEntry(u"WM/TrackNumber", 5, 7, 2), TextEntry(u"WM/Track", u"4")}), 7u);
  EXPECT_EQ(track({NumberEntry(u"WM/TrackNumber", 4, 9, 8)}), 9u);
  EXPECT_EQ(track({NumberEntry(u"WM/TrackNumber", 3, 0, 4), TextEntry(u"WM/Track", u"2")}), 2u);
  EXPECT_EQ(track({TextEntry(u"WM/TrackNumber", u"none")}), 0u);
}

TEST(AsfHeaderWalk, EarlyLayoutEntryKindsAndNamesIgnoringCase) {
  const AsfHeaderTags tags = Walk(EarlyFile(
      {EarlyEntry(1, u"", u"Artist"), EarlyEntry(2, u"", u"Title"), EarlyEntry(4, u"", u"Comment"),
       EarlyEntry(3, u"", u"Copy"), EarlyEntry(0, u"", u"zero kind"), EarlyEntry(50, u"WM/Year", u"1"),
       EarlyEntry(100, u"wm/year", u"1997"), EarlyEntry(120, u"WM/ALBUMTITLE", u"Album"),
       EarlyEntry(100, u"WM/Track", u"5")},
      9));
  EXPECT_TRUE(tags.found);
  EXPECT_EQ(tags.artist, "Artist");
  EXPECT_EQ(tags.title, "Title");
  EXPECT_EQ(tags.comment, "Comment");
  EXPECT_EQ(tags.copyright, "Copy");
  EXPECT_EQ(tags.year, "1997");
  EXPECT_EQ(tags.album, "Album");
  EXPECT_EQ(tags.track, 5u);
}

TEST(AsfHeaderWalk, NonAsfInputGivesAnEmptyRecord) {
  for (const Bytes& bytes : {Bytes{}, Bytes(23, 0), Bytes(4096, 0xFF),
                             Bytes{'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                   0, 0, 0, 0, 0, 0, 0, 0, 0}}) {
    BufferByteSource source(bytes.data(), bytes.size());
    const WmaTags tags = WmaModule::ReadTagsFromHeader(source);
    EXPECT_FALSE(tags.found);
    EXPECT_EQ(tags.record, Timerec{});
    EXPECT_EQ(tags.copyright, "");
  }
}

TEST(AsfHeaderWalk, RecordTakesFoundAndWholeFields) {
  const Bytes bytes = StandardHeader(
      ContentDescription(std::u16string(300, u'\u00E9'), u"", u"", u"") +
      ExtendedContent({TextEntry(u"WM/Genre", std::u16string(40, u'g')),
                       NumberEntry(u"WM/TrackNumber", 3, 0x12345, 4)}));
  BufferByteSource source(bytes.data(), bytes.size());
  const WmaTags tags = WmaModule::ReadTagsFromHeader(source);
  EXPECT_TRUE(tags.found);
  std::string title;
  for (int i = 0; i < 300; ++i) title += "\xC3\xA9";
  EXPECT_EQ(tags.record.title, title);
  EXPECT_EQ(tags.record.genre, std::string(40, 'g'));
  EXPECT_EQ(tags.record.track, std::to_string(0x2345));  // low 16 bits
}

TEST(AsfHeaderWalk, LyingHeaderSizesAreBoundedByTheBytesPresent) {
  const Bytes cdo = ContentDescription(u"Kept", u"", u"", u"");
  // Header claims far more than there is: walked as far as the bytes go.
  for (uint64_t size : {uint64_t(0xFFFFFFFFFFFFFFFFULL), uint64_t(1) << 40, uint64_t(5000)}) {
    EXPECT_EQ(Walk(StandardHeader(cdo, size)).title, "Kept") << size;
  }
  // Header claims less than its own prefix, or zero: found, but nothing inside.
  for (uint64_t size : {uint64_t(1), uint64_t(24)}) {
    const AsfHeaderTags tags = Walk(StandardHeader(cdo, size));
    EXPECT_TRUE(tags.found);
    EXPECT_EQ(tags.title, "");
  }
}

TEST(AsfHeaderWalk, ObjectWithZeroTinyOrOversizeSizeEndsTheWalk) {
  const Bytes after = ContentDescription(u"After", u"", u"", u"");
  for (uint64_t size : {uint64_t(0), uint64_t(10), uint64_t(23), uint64_t(1) << 33,
                        uint64_t(0xFFFFFFFFFFFFFFFFULL)}) {
    Bytes bad = kFileProperties;
    Put(bad, size, 8);
    Put(bad, Bytes(40, 0));
    const AsfHeaderTags tags = Walk(StandardHeader(ContentDescription(u"Before", u"", u"", u"") +
                                                   bad + after));
    EXPECT_EQ(tags.title, "Before") << size;  // kept, and nothing read beyond the bad object
  }
}

TEST(AsfHeaderWalk, CountsAndLengthsBeyondTheObjectKeepWhatWasComplete) {
  // Entry count far above the entries present.
  AsfHeaderTags tags = Walk(StandardHeader(ExtendedContent({TextEntry(u"WM/Year", u"2001")}, 65535)));
  EXPECT_EQ(tags.year, "2001");

  // A name length running past the object, followed by another object: the walk goes on
  // with the next object, not with bytes of this one.
  Bytes lying;
  Put(lying, 1, 2);
  Put(lying, 60000, 2);
  Put(lying, Utf16(u"WM/Genre"));
  tags = Walk(StandardHeader(Object(kExtendedContent, lying) +
                             ContentDescription(u"Next", u"", u"", u"")));
  EXPECT_EQ(tags.genre, "");
  EXPECT_EQ(tags.title, "Next");

  // Content description lengths beyond the object: the texts that fit are kept.
  Bytes cdo;
  for (uint64_t length : {10, 65535, 4, 4, 0}) Put(cdo, length, 2);
  Put(cdo, Utf16(u"Shor"));
  Put(cdo, Utf16(u"x"));
  tags = Walk(StandardHeader(Object(kContentDescription, cdo)));
  EXPECT_EQ(tags.title, "Shor");
  EXPECT_EQ(tags.artist, "");

  // A number entry whose length does not match its type is skipped, not misread.
  tags = Walk(StandardHeader(ExtendedContent(
      {NumberEntry(u"WM/TrackNumber", 3, 5, 2), TextEntry(u"WM/Year", u"1990")})));
  EXPECT_EQ(tags.track, 0u);
  EXPECT_EQ(tags.year, "1990");

  // Early layout: more entries announced than present, and character counts beyond the data.
  tags = Walk(EarlyFile({EarlyEntry(2, u"", u"Only")}, 40000));
  EXPECT_EQ(tags.title, "Only");
  Bytes broken = EarlyEntry(1, u"", u"Name");
  broken[7] = 0xFF, broken[8] = 0xFF;  // value length 65535 characters
  tags = Walk(EarlyFile({EarlyEntry(2, u"", u"First"), broken}, 2));
  EXPECT_EQ(tags.title, "First");
  EXPECT_EQ(tags.artist, "");
}

TEST(AsfHeaderWalk, LongTextIsReadWholeAndWhatFollowsToo) {
  const std::u16string longTitle(2000, u'a');
  const AsfHeaderTags tags = Walk(StandardHeader(
      ContentDescription(longTitle, u"Who", u"", u"") +
      ExtendedContent({TextEntry(u"WM/AlbumTitle", longTitle), TextEntry(u"WM/Year", u"2020")})));
  EXPECT_EQ(tags.title, std::string(2000, 'a'));
  EXPECT_EQ(tags.artist, "Who");
  EXPECT_EQ(tags.album, std::string(2000, 'a'));
  EXPECT_EQ(tags.year, "2020");
}

TEST(AsfHeaderWalk, EveryTruncationOfAHeaderIsSafe) {
  const Bytes full = TypicalHeader();
  for (size_t length = 0; length <= full.size(); ++length) {
    const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
    const AsfHeaderTags tags = Walk(cut);
    EXPECT_EQ(tags.found, length >= 24) << length;
  }
  EXPECT_EQ(Walk(full).genre, "Blues");
}

}  // namespace
