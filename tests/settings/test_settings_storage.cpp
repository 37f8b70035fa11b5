// How writes change the file: key order, byte-exact preservation of everything else, failed
// writes that keep the old file, and where the file lives.
#include "ScratchSettings.h"

#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using SettingsStorage = ScratchSettings;

TEST_F(SettingsStorage, FreshFileGrowsInWriteOrder) {
  TIniFile ini(path_);
  ini.WriteInteger("wav", "mode", 0);
  ini.WriteInteger("wav", "bit", 1);
  ini.WriteInteger("mp3", "bitrate", 11);
  ini.WriteBool("mp3", "enable vbr", false);
  ini.WriteInteger("Format", "Forint", 2);
  ini.WriteInteger("wav", "channel", 1);        // new key: end of its own section
  ini.WriteInteger("MP3", "BitRate", 12);       // rewrite: same place, first spelling
  ini.WriteString("format", "Dir", "/home/u/Music");
  ini.WriteInteger("mp3", "quality", -3);
  EXPECT_EQ(Content(),
            "[wav]\nmode=0\nbit=1\nchannel=1\n"
            "[mp3]\nbitrate=12\nenable vbr=0\nquality=-3\n"
            "[Format]\nForint=2\nDir=/home/u/Music\n");
}

TEST_F(SettingsStorage, NewKeyGoesAfterTheLastKeyLineOfItsSection) {
  SetContent("[wav]\n\nmode=0\n\n; mp3 follows\n\n[mp3]\nquality=9");
  TIniFile ini(path_);
  ini.WriteInteger("wav", "bit", 1);
  ini.WriteInteger("mp3", "channel", 0);  // after a last line that had no line ending
  ini.WriteInteger("ogg", "quality", 300);
  EXPECT_EQ(Content(),
            "[wav]\n\nmode=0\nbit=1\n\n; mp3 follows\n\n[mp3]\nquality=9\nchannel=0\n"
            "[ogg]\nquality=300\n");

  SetContent("[wma]\n; nothing yet\n");
  ini.WriteInteger("wma", "format", 9);
  EXPECT_EQ(Content(), "[wma]\nformat=9\n; nothing yet\n");
}

TEST_F(SettingsStorage, OddContentSurvivesAWriteByteForByte) {
  const std::string longLine(200000, 'L');
  const std::string junk("\x01\xFF\xFE garbage \0 with NUL \x7F", 25);
  const std::string original = "\xEF\xBB\xBF[Format]\r\nDir=C:\\Music\r\n" + junk + "\r\n" +
                               "no equals sign here\n" + longLine + "\r\n" +
                               "[mp3]\r\nquality = 4 \r\n[unclosed\r\n=orphan value\r\n" +
                               "trailing\r";
  SetContent(original);
  TIniFile ini(path_);
  EXPECT_EQ(ini.ReadString("Format", "Dir", ""), "C:\\Music");  // found behind the BOM
  EXPECT_EQ(ini.ReadInteger("mp3", "quality", 9), 4);

  ini.WriteInteger("mp3", "quality", 2);
  ini.WriteInteger("Format", "Forint", 1);
  ini.WriteInteger("ogg", "channel", 0);
  // CR LF dominates, so new lines get it; the lone CR that closes the file is a line ending.
  // Forint goes right after Dir, the last key line of [Format]; junk lines stay after it.
  const std::string expected = "\xEF\xBB\xBF[Format]\r\nDir=C:\\Music\r\nForint=1\r\n" + junk +
                               "\r\n" + "no equals sign here\n" + longLine + "\r\n" +
                               "[mp3]\r\nquality=2\r\n[unclosed\r\n=orphan value\r\n" +
                               "trailing\r[ogg]\r\nchannel=0\r\n";
  EXPECT_EQ(Content(), expected);
}

TEST_F(SettingsStorage, MixedLineEndingsStayPerLine) {
  SetContent("[wav]\r\nmode=0\nbit=1\r\n[mp3]\nquality=9\n");  // LF dominates 3 to 2
  TIniFile ini(path_);
  ini.WriteInteger("wav", "bit", 0);
  ini.WriteInteger("wav", "channel", 1);
  EXPECT_EQ(Content(), "[wav]\r\nmode=0\nbit=0\r\nchannel=1\n[mp3]\nquality=9\n");
}

TEST_F(SettingsStorage, LoneCrFileKeepsOneSectionOfEachNameAndItsLineEnds) {
  SetContent("[mp3]\rquality=4\r[ogg]\rchannel=0\r");
  TIniFile ini(path_);
  ini.WriteInteger("mp3", "bitrate", 5);
  ini.WriteInteger("mp3", "quality", 2);
  ini.WriteInteger("wma", "format", 9);
  EXPECT_EQ(Content(), "[mp3]\rquality=2\rbitrate=5\r[ogg]\rchannel=0\r[wma]\rformat=9\r");
}

TEST_F(SettingsStorage, LineBreaksInAValueCannotForgeLines) {
  TIniFile ini(path_);
  ini.WriteString("Format", "Dir", "/music\n[mp3]\nquality=0");
  EXPECT_EQ(ini.ReadString("Format", "Dir", ""), "/music");
  EXPECT_EQ(Content(), "[Format]\nDir=/music\n");
}

TEST_F(SettingsStorage, TwoObjectsSeeEachOthersWrites) {
  TIniFile first(path_);
  TIniFile second(path_);
  first.WriteInteger("mp3", "bitrate", 5);
  EXPECT_EQ(second.ReadInteger("mp3", "bitrate", 11), 5);
  second.WriteInteger("mp3", "bitrate", 6);
  second.WriteString("Format", "Dir", "/out");
  EXPECT_EQ(first.ReadInteger("mp3", "bitrate", 11), 6);
  EXPECT_EQ(first.ReadString("Format", "Dir", ""), "/out");
}

TEST_F(SettingsStorage, RewriteKeepsPermissionsAndSymlinks) {
  SetContent("[mp3]\nquality=9\n");
  ASSERT_EQ(chmod(path_.c_str(), 0640), 0);
  TIniFile ini(path_);
  ini.WriteInteger("mp3", "quality", 3);
  struct stat info {};
  ASSERT_EQ(stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  // A settings file kept elsewhere and linked in stays linked.
  const std::string real = dir_.file("real.ini");
  ASSERT_EQ(rename(path_.c_str(), real.c_str()), 0);
  ASSERT_EQ(symlink(real.c_str(), path_.c_str()), 0);
  ini.WriteInteger("mp3", "quality", 4);
  ASSERT_EQ(lstat(path_.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(Content(), "[mp3]\nquality=4\n");
}

TEST_F(SettingsStorage, UnchangedValueLeavesTheFileAlone) {
  SetContent("[mp3]\n  quality = 3\n");
  struct stat before {}, after {};
  ASSERT_EQ(stat(path_.c_str(), &before), 0);
  TIniFile(path_).WriteInteger("mp3", "quality", 3);
  ASSERT_EQ(stat(path_.c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
  EXPECT_EQ(Content(), "[mp3]\n  quality = 3\n");
}

// --- failed writes ---------------------------------------------------------------------------

// Expects the exact error of a refused write, the old content intact (when there is a regular
// file to compare), and no stray files.
void ExpectRefusedWrite(const std::string& path, const std::string& folder,
                        const std::optional<std::string>& oldContent) {
  TIniFile ini(path);
  try {
    ini.WriteInteger("mp3", "quality", 1);
    ADD_FAILURE() << "the write was not refused";
  } catch (const SettingsError& e) {
    EXPECT_STREQ(e.what(), "Unable to write to kelvane.ini");
  }
  if (oldContent) {
    std::vector<uint8_t> bytes = testsupport::ReadFileBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), *oldContent);
  }
  std::vector<std::string> names;
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* e = readdir(d)) names.push_back(e->d_name);
    closedir(d);
  }
  for (const std::string& name : names)
    EXPECT_EQ(name.find(".tmp"), std::string::npos) << "left behind: " << name;
}

TEST_F(SettingsStorage, ReadOnlyFolderKeepsTheOldFile) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  SetContent("[mp3]\nquality=9\n");
  ASSERT_EQ(chmod(dir_.path().c_str(), 0555), 0);
  ExpectRefusedWrite(path_, dir_.path(), "[mp3]\nquality=9\n");
  chmod(dir_.path().c_str(), 0755);
}

TEST_F(SettingsStorage, ReadOnlyFileIsNotReplaced) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write any file";
  SetContent("[mp3]\nquality=9\n");
  ASSERT_EQ(chmod(path_.c_str(), 0444), 0);
  ExpectRefusedWrite(path_, dir_.path(), "[mp3]\nquality=9\n");
}

TEST_F(SettingsStorage, FullDiskKeepsTheOldFile) {
  // A file size limit fails the write half way, for root as well: a stand-in for a full disk.
  const std::string old = "[mp3]\nquality=9\n" + std::string(100, ';') + "\n";
  SetContent(old);
  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto previousHandler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  ExpectRefusedWrite(path_, dir_.path(), old);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previousHandler);
}

TEST_F(SettingsStorage, SettingsFolderThatIsAFileRefusesWrites) {
  const std::string notAFolder = dir_.file("plain");
  testsupport::WriteFileText(notAFolder, "just a file");
  setenv("VELMORA_CONFIG_DIR", (notAFolder + "/deeper").c_str(), 1);
  const std::string path = SettingsFilePath();
  EXPECT_EQ(TIniFile(path).ReadInteger("mp3", "quality", 9), 9);
  ExpectRefusedWrite(path, dir_.path(), std::nullopt);
  std::vector<uint8_t> bytes = testsupport::ReadFileBytes(notAFolder);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "just a file");
}

TEST_F(SettingsStorage, SettingsFileThatIsNotAFileRefusesWrites) {
  ASSERT_EQ(mkdir(path_.c_str(), 0755), 0);
  EXPECT_EQ(TIniFile(path_).ReadInteger("mp3", "quality", 9), 9);
  ExpectRefusedWrite(path_, dir_.path(), std::nullopt);
  struct stat info {};
  ASSERT_EQ(stat(path_.c_str(), &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));

  // A FIFO must neither hang a read nor be replaced.
  ASSERT_EQ(rmdir(path_.c_str()), 0);
  ASSERT_EQ(mkfifo(path_.c_str(), 0644), 0);
  EXPECT_EQ(TIniFile(path_).ReadString("Format", "Dir", "d"), "d");
  ExpectRefusedWrite(path_, dir_.path(), std::nullopt);
  ASSERT_EQ(lstat(path_.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST_F(SettingsStorage, OversizedFileIsLeftAlone) {
  SetContent("[mp3]\nquality=4\n");
  ASSERT_EQ(truncate(path_.c_str(), 17 * 1024 * 1024), 0);  // sparse: cheap to make
  EXPECT_EQ(TIniFile(path_).ReadInteger("mp3", "quality", 9), 9);
  ExpectRefusedWrite(path_, dir_.path(), std::nullopt);
  struct stat info {};
  ASSERT_EQ(stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_size, 17 * 1024 * 1024);
}

// --- location --------------------------------------------------------------------------------

TEST_F(SettingsStorage, FileLivesInTheConfigFolder) {
  EXPECT_EQ(path_, dir_.path() + "/kelvane.ini");

  const char* home = std::getenv("HOME");
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const std::string savedHome = home ? home : "";
  const std::string savedXdg = xdg ? xdg : "";
  unsetenv("VELMORA_CONFIG_DIR");
  setenv("HOME", "/home/someone", 1);
  setenv("XDG_CONFIG_HOME", "/xdg/config/", 1);
  EXPECT_EQ(SettingsFilePath(), "/xdg/config/kelvane.ini");
  setenv("XDG_CONFIG_HOME", "", 1);
  EXPECT_EQ(SettingsFilePath(), "/home/someone/.config/kelvane.ini");
  setenv("XDG_CONFIG_HOME", "relative/config", 1);
  EXPECT_EQ(SettingsFilePath(), "/home/someone/.config/kelvane.ini");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(SettingsFilePath(), "/home/someone/.config/kelvane.ini");
  setenv("VELMORA_CONFIG_DIR", "", 1);
  EXPECT_EQ(SettingsFilePath(), "/home/someone/.config/kelvane.ini");

  if (home) setenv("HOME", savedHome.c_str(), 1); else unsetenv("HOME");
  if (xdg) setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1); else unsetenv("XDG_CONFIG_HOME");
}
