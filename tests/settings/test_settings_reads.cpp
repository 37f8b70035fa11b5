// What reads return: integer and boolean conversion, the text cut, name matching, trimming.
#include "ScratchSettings.h"

#include "settings/ProfileValue.h"

using SettingsReads = ScratchSettings;

TEST_F(SettingsReads, IntegerConversionFollowsTheProfileRules) {
  SetContent(
      "[mp3]\n"
      "hex=0x10\nupper=0XfF\nword=abc\nbare=0x\nzerox1=0x1\nneg=-5\npos=+7\nspaced= 12 \n"
      "max=2147483647\nmin=-2147483648\nabove=2147483648\nbelow=-2147483649\n"
      "allbits=0xFFFFFFFF\ntoowide=0x100000000\ndollar=$1F\nbadhex=0x1G\nsignhex=-0x10\n"
      "empty=\nsign=-\ninner=1 2\ntrailing=12abc\nfloat=1.5\nzeros=007\n");
  TIniFile ini(path_);
  auto read = [&](const char* key) { return ini.ReadInteger("mp3", key, 99); };
  EXPECT_EQ(read("hex"), 16);
  EXPECT_EQ(read("upper"), 255);
  EXPECT_EQ(read("word"), 99);
  EXPECT_EQ(read("bare"), 99);
  EXPECT_EQ(read("zerox1"), 1);
  EXPECT_EQ(read("neg"), -5);
  EXPECT_EQ(read("pos"), 7);
  EXPECT_EQ(read("spaced"), 12);
  EXPECT_EQ(read("max"), 2147483647);
  EXPECT_EQ(read("min"), -2147483647 - 1);
  EXPECT_EQ(read("above"), 99);
  EXPECT_EQ(read("below"), 99);
  EXPECT_EQ(read("allbits"), -1);
  EXPECT_EQ(read("toowide"), 99);
  EXPECT_EQ(read("dollar"), 31);
  EXPECT_EQ(read("badhex"), 99);
  EXPECT_EQ(read("signhex"), 99);
  EXPECT_EQ(read("empty"), 99);
  EXPECT_EQ(read("sign"), 99);
  EXPECT_EQ(read("inner"), 99);
  EXPECT_EQ(read("trailing"), 99);
  EXPECT_EQ(read("float"), 99);
  EXPECT_EQ(read("zeros"), 7);
  EXPECT_EQ(read("absent"), 99);
}

TEST_F(SettingsReads, BooleansAreIntegersOtherThanZero) {
  SetContent("[mp3]\nenable vbr=2\noff=0\nword=yes\n");
  TIniFile ini(path_);
  EXPECT_TRUE(ini.ReadBool("mp3", "enable vbr", false));
  EXPECT_FALSE(ini.ReadBool("mp3", "off", true));
  EXPECT_TRUE(ini.ReadBool("mp3", "word", true));
  EXPECT_FALSE(ini.ReadBool("mp3", "word", false));
  EXPECT_TRUE(ini.ReadBool("ogg", "enable quality", true));
  EXPECT_EQ(ini.ReadInteger("mp3", "enable vbr", 0), 2);  // the run sees the 2 as it is

  ini.WriteBool("ogg", "enable quality", true);
  ini.WriteBool("ogg", "other", false);
  EXPECT_EQ(Content(), "[mp3]\nenable vbr=2\noff=0\nword=yes\n[ogg]\nenable quality=1\nother=0\n");
}

TEST_F(SettingsReads, SectionAndKeyNamesIgnoreCase) {
  SetContent("[WAV]\nMode=2\n[Format]\nDIR=/x\n");
  TIniFile ini(path_);
  EXPECT_EQ(ini.ReadInteger("wav", "mode", 0), 2);
  EXPECT_EQ(ini.ReadString("FORMAT", "dir", ""), "/x");
  ini.WriteInteger("wav", "MODE", 1);
  EXPECT_EQ(Content(), "[WAV]\nMode=1\n[Format]\nDIR=/x\n");  // the first spelling stays
}

TEST_F(SettingsReads, TextIsCutAt2047Bytes) {
  TIniFile ini(path_);
  ini.WriteString("Format", "Dir", std::string(3000, 'a'));
  EXPECT_EQ(ini.ReadString("Format", "Dir", ""), std::string(2047, 'a'));
  EXPECT_NE(Content().find(std::string(3000, 'a')), std::string::npos);  // stored whole

  ini.WriteString("Format", "Dir", std::string(2047, 'b'));
  EXPECT_EQ(ini.ReadString("Format", "Dir", ""), std::string(2047, 'b'));

  // No half characters: a two-byte "é" straddling the cut goes as a whole.
  ini.WriteString("Format", "Dir", std::string(2046, 'c') + "\xC3\xA9" + "tail");
  EXPECT_EQ(ini.ReadString("Format", "Dir", ""), std::string(2046, 'c'));
  ini.WriteString("Format", "Dir", std::string(2045, 'c') + "\xC3\xA9" + "tail");
  EXPECT_EQ(ini.ReadString("Format", "Dir", ""), std::string(2045, 'c') + "\xC3\xA9");
}

TEST_F(SettingsReads, CutBacksOffOnlyOverContinuationBytes) {
  std::string junk(3000, '\x80');  // continuation bytes with no lead: nothing to back off to
  EXPECT_EQ(CutProfileText(junk).size(), kMaxProfileTextLength);
  std::string fourByte = std::string(2044, 'x') + "\xF0\x9F\x8E\xB5";  // ends at byte 2048
  EXPECT_EQ(CutProfileText(fourByte + "y"), std::string(2044, 'x'));
}

TEST_F(SettingsReads, ValuesAndKeysAreTrimmedAndMayHoldEquals) {
  SetContent("[wav]\n  mode  =  2  \n\tbit\t=\t1\t\n[Format]\nDir = \"/music/my songs\" \n");
  TIniFile ini(path_);
  EXPECT_EQ(ini.ReadInteger("wav", "mode", 0), 2);
  EXPECT_EQ(ini.ReadInteger("wav", " mode ", 0), 2);
  EXPECT_EQ(ini.ReadInteger("wav", "bit", 0), 1);
  EXPECT_EQ(ini.ReadString("Format", "Dir", ""), "/music/my songs");  // quotes dropped

  ini.WriteString("Format", "Dir", "/a=b/c=d");
  EXPECT_EQ(ini.ReadString("Format", "Dir", ""), "/a=b/c=d");
  ini.WriteInteger("wav", "mode", 0);
  EXPECT_EQ(Content(), "[wav]\nmode=0\n\tbit\t=\t1\t\n[Format]\nDir=/a=b/c=d\n");

  ini.WriteString("Format", "Dir", "");
  EXPECT_EQ(ini.ReadString("Format", "Dir", "C:\\My Music"), "");  // present but empty
}

TEST_F(SettingsReads, LinesOutsideSectionsAndCommentsNeverMatch) {
  SetContent("mode=5\n[wav]\n;mode=6\n[wav\nmode=7\n");
  TIniFile ini(path_);
  // "[wav" has no "]": not a header, so mode=7 still belongs to the first [wav].
  EXPECT_EQ(ini.ReadInteger("wav", "mode", 0), 7);
  EXPECT_EQ(ini.ReadInteger("", "mode", 0), 0);
}

TEST_F(SettingsReads, OnlyTheFirstOfDuplicateNamesCounts) {
  SetContent("[mp3]\nquality=1\nquality=2\n[MP3]\nbitrate=5\n");
  TIniFile ini(path_);
  EXPECT_EQ(ini.ReadInteger("mp3", "quality", 9), 1);
  EXPECT_EQ(ini.ReadInteger("mp3", "bitrate", 11), 11);
  ini.WriteInteger("mp3", "bitrate", 12);
  EXPECT_EQ(Content(), "[mp3]\nquality=1\nquality=2\nbitrate=12\n[MP3]\nbitrate=5\n");
}

TEST_F(SettingsReads, MissingFileReadsAsDefaultsAndIsNotCreated) {
  std::string nested = dir_.file("not/yet");
  setenv("VELMORA_CONFIG_DIR", nested.c_str(), 1);
  TIniFile ini(SettingsFilePath());
  EXPECT_EQ(ini.ReadString("Format", "Dir", "C:\\My Music"), "C:\\My Music");
  EXPECT_EQ(ini.ReadInteger("Format", "Forint", 0), 0);
  EXPECT_EQ(ini.ReadInteger("mp3", "quality", 9), 9);
  EXPECT_TRUE(ini.ReadBool("ogg", "enable quality", true));
  EXPECT_FALSE(ini.ReadBool("ogg", "enable quality", false));
  EXPECT_TRUE(FolderEntries(dir_.path()).empty());

  ini.WriteInteger("Format", "Forint", 3);  // the first write makes the folders
  EXPECT_EQ(ini.ReadInteger("Format", "Forint", 0), 3);
  EXPECT_TRUE(testsupport::FileExists(nested + "/kelvane.ini"));
}

TEST_F(SettingsReads, CrLfAndLoneCrLineEndsAllRead) {
  for (const std::string ending : {"\n", "\r\n", "\r"}) {
    SetContent("[Format]" + ending + "Dir=/music" + ending + "[mp3]" + ending + "quality=3" +
               ending + "bitrate=7" + ending);
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadString("Format", "Dir", ""), "/music");
    EXPECT_EQ(ini.ReadInteger("mp3", "quality", 9), 3);
    EXPECT_EQ(ini.ReadInteger("mp3", "bitrate", 11), 7);
  }
}
