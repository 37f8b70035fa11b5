// The settings dialog against a scratch kelvane.ini and the real engine's format checks.
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <cmath>
#include <map>

#include "DialogTestSupport.h"
#include "app/ConverterCore.h"
#include "app/RecordingHost.h"
#include "engines/AudioFile2.h"
#include "settings/dialog/Tfm_set.h"
#include "settings/dialog/UpDown.h"

namespace {

const std::string kOggRefused =
    "Information|This OGG format is not supported. \rYou have set too high frequency and too low "
    "bitrate or otherwise. \rPlease adjust the frequency or bitrate.";
const std::string kMp3Refused =
    "Information|This MP3 format is not supported. \rYou have set too high frequency and too low "
    "bitrate or otherwise. \rPlease adjust the frequency or bitrate.";

QStringList Entries(QComboBox* list) {
  QStringList entries;
  for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
  return entries;
}

class SettingsDialogTest : public ::testing::Test {
 protected:
  SettingsDialogTest() : dialog(skin) { dialog.SetSettingsFile(settings.ini.get()); }

  QComboBox* List(const char* name) { return Child<QComboBox>(&dialog, name); }
  QLineEdit* Edit(const char* name) { return Child<QLineEdit>(&dialog, name); }
  QCheckBox* Check(const char* name) { return Child<QCheckBox>(&dialog, name); }
  QRadioButton* Radio(const char* name) { return Child<QRadioButton>(&dialog, name); }
  UpDown* Counter(const char* name) { return Child<UpDown>(&dialog, name); }
  void Press(const char* button) { Child<QPushButton>(&dialog, button)->click(); }
  int Stored(const char* section, const char* key) const { return settings.ini->ReadInteger(section, key, -99); }

  // Leaves the OGG quality box the way a user does: the focus moves on to another control.
  void LeaveOggQualityBox() {
    QLineEdit* box = Edit("edt_ogg_quality");
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &out);
  }

  ScratchSettingsFile settings;
  FakeSkin skin;
  RecordingPrompts prompts;
  Tfm_set dialog;
};

TEST_F(SettingsDialogTest, WithoutSettingsFileShowsTheDialogDefaultsOnTheWavTab) {
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Settings");
  EXPECT_EQ(dialog.frameGeometry().size(), QSize(418, 398));
  EXPECT_EQ(Child<QTabWidget>(&dialog, "pc")->currentIndex(), 0);
  EXPECT_TRUE(Radio("rb_cdquality")->isChecked());
  for (const char* wavList : {"cb_wav_frequency", "cb_wav_channel", "cb_wav_bit"})
    EXPECT_FALSE(List(wavList)->isEnabled()) << wavList;
  EXPECT_EQ(List("cb_wav_bit")->currentText(), "16 Kbps");
  EXPECT_EQ(List("cb_mp3_frequency")->currentText(), "44100 Hz");
  EXPECT_EQ(List("cb_mp3_bitrate")->currentText(), "128 Kbps");
  EXPECT_EQ(List("cb_mp3_channel")->currentText(), "Stereo");
  EXPECT_EQ(Edit("edt_mp3_quality")->text(), "7");
  EXPECT_FALSE(Check("cb_vbr")->isChecked());
  EXPECT_FALSE(List("cb_mp3_vbr")->isEnabled());
  EXPECT_FALSE(Counter("ud_mp3_vbr")->isEnabled());
  EXPECT_TRUE(Edit("edt_mp3_vbr")->isEnabled());
  EXPECT_EQ(Edit("edt_mp3_vbr")->text(), "4");
  EXPECT_EQ(List("cb_wma")->currentIndex(), 9);
  EXPECT_EQ(List("cb_wma")->currentText(), "WMA9 44KHz, 128Kbps, Stereo, CBR");
  EXPECT_EQ(List("cb_ogg_fre")->currentText(), "44100 Hz");
  EXPECT_EQ(List("cb_ogg_bitrate")->currentText(), "128 Kbps");
  EXPECT_EQ(List("cb_ogg_channel")->currentText(), "Stereo");
  EXPECT_TRUE(Check("cb_ogg_quality")->isChecked());
  EXPECT_EQ(Edit("edt_ogg_quality")->text(), "300");
  EXPECT_FALSE(List("cb_ogg_minbit")->isEnabled());
  EXPECT_FALSE(List("cb_ogg_maxbit")->isEnabled());
  EXPECT_FALSE(testsupport::FileExists(settings.Path())) << "showing must not create the file";

  ASSERT_EQ(skin.calls.size(), 2u);
  EXPECT_EQ(skin.calls[0].operation, "PrepareWindow");
  EXPECT_EQ(skin.calls[0].window, &dialog);
  EXPECT_EQ(skin.calls[1].operation, "ApplyWindowSkin");
  EXPECT_EQ(skin.calls[1].formName, "windows");
}

TEST_F(SettingsDialogTest, OkStoresEveryKeyInItsSectionInTheFixedOrder) {
  dialog.show();
  Press("btn_ok");
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(settings.Content(),
            "[wav]\nmode=0\nbit=1\nchannel=1\nfrequency=8\n"
            "[mp3]\nbitrate=11\nchannel=1\nfrequency=8\nquality=7\nenable vbr=0\nvbr bitrate=11\nvbr quality=4\n"
            "[wma]\nformat=9\n"
            "[ogg]\nchannel=1\nfrequency=8\nbitrate=11\nmax bitrate=11\nmin bitrate=11\nenable quality=1\nquality=300\n");
}

TEST_F(SettingsDialogTest, ListsOfferTheTableEntriesAndWmaEntriesTwentyAndTwentyTwoStayApart) {
  dialog.show();
  EXPECT_EQ(Entries(List("cb_mp3_frequency")),
            QStringList({"6000 Hz", "8000 Hz", "11025 Hz", "12000 Hz", "16000 Hz", "22050 Hz", "24000 Hz",
                         "32000 Hz", "44100 Hz", "48000 Hz"}));
  EXPECT_EQ(Entries(List("cb_ogg_minbit")),
            QStringList({"8 Kbps", "16 Kbps", "24 Kbps", "32 Kbps", "40 Kbps", "48 Kbps", "56 Kbps", "64 Kbps",
                         "80 Kbps", "96 Kbps", "112 Kbps", "128 Kbps", "160 Kbps", "192 Kbps", "224 Kbps",
                         "256 Kbps", "320 Kbps"}));
  EXPECT_EQ(Entries(List("cb_wav_bit")), QStringList({"8 Kbps", "16 Kbps"}));
  EXPECT_EQ(Entries(List("cb_ogg_channel")), QStringList({"Mono", "Stereo"}));
  QComboBox* wma = List("cb_wma");
  ASSERT_EQ(wma->count(), 47);
  EXPECT_EQ(wma->itemText(0), "WMA9 48KHz, 192Kbps, Stereo, CBR");
  EXPECT_EQ(wma->itemText(34), "WMA9 8KHz,  12Kbps, Stereo, CBR");
  EXPECT_EQ(wma->itemText(37), "WMA9 8KHz,  5Kbps, Mono, CBR");
  EXPECT_EQ(wma->itemText(46), "WMA9 44KHz, Stereo, Lossless");
  EXPECT_EQ(wma->itemText(20), "WMA9 32KHz, 32Kbps, Stereo, CBR");
  EXPECT_EQ(wma->itemText(22), wma->itemText(20));
  EXPECT_FALSE(List("cb_mp3_bitrate")->isEditable());

  for (int entry : {20, 22}) {
    if (!dialog.isVisible()) dialog.show();
    wma->setCurrentIndex(entry);
    Press("btn_ok");
    EXPECT_EQ(Stored("wma", "format"), entry);
  }
}

TEST_F(SettingsDialogTest, StoredWavModeOutsideItsRangeSelectsNoModeAndOkKeepsIt) {
  settings.SetContent("[wav]\nmode=5\n");
  dialog.show();
  EXPECT_FALSE(Radio("rb_cdquality")->isChecked());
  EXPECT_FALSE(Radio("rb_bestsuited")->isChecked());
  EXPECT_FALSE(Radio("rb_custom")->isChecked());
  EXPECT_FALSE(List("cb_wav_frequency")->isEnabled());
  Press("btn_ok");
  EXPECT_EQ(Stored("wav", "mode"), 5);
  EXPECT_EQ(Stored("wav", "bit"), 1);
}

TEST_F(SettingsDialogTest, StoredIndexesOutsideTheirListsFallBackToTheDialogDefaults) {
  settings.SetContent("[mp3]\nbitrate=40\nquality=15\nenable vbr=2\n[wma]\nformat=47\n[ogg]\nmin bitrate=-1\n[wav]\nmode=2\nfrequency=10\n");
  dialog.show();
  EXPECT_EQ(List("cb_mp3_bitrate")->currentIndex(), 11);
  EXPECT_EQ(List("cb_wma")->currentIndex(), 9);
  EXPECT_EQ(List("cb_ogg_minbit")->currentIndex(), 11);
  EXPECT_EQ(List("cb_wav_frequency")->currentIndex(), 8);
  EXPECT_TRUE(List("cb_wav_frequency")->isEnabled()) << "custom mode enables the WAV lists";
  EXPECT_EQ(Edit("edt_mp3_quality")->text(), "9") << "the up-down holds only 0..9";
  EXPECT_TRUE(Check("cb_vbr")->isChecked()) << "any number but 0 ticks it";
  Press("btn_ok");
  EXPECT_EQ(Stored("mp3", "bitrate"), 11);
  EXPECT_EQ(Stored("wma", "format"), 9);
  EXPECT_EQ(Stored("ogg", "min bitrate"), 11);
  EXPECT_EQ(Stored("wav", "frequency"), 8);
  EXPECT_EQ(Stored("mp3", "quality"), 9);
}

TEST_F(SettingsDialogTest, EnablingRulesFollowTheClicks) {
  dialog.show();
  Radio("rb_custom")->click();
  EXPECT_TRUE(List("cb_wav_bit")->isEnabled());
  Radio("rb_bestsuited")->click();
  EXPECT_FALSE(List("cb_wav_bit")->isEnabled());
  Check("cb_vbr")->click();
  EXPECT_TRUE(List("cb_mp3_vbr")->isEnabled());
  EXPECT_TRUE(Counter("ud_mp3_vbr")->isEnabled());
  Check("cb_ogg_quality")->click();
  EXPECT_FALSE(Edit("edt_ogg_quality")->isEnabled());
  EXPECT_FALSE(Counter("ud_ogg_quality")->isEnabled());
  EXPECT_TRUE(List("cb_ogg_minbit")->isEnabled());
  EXPECT_TRUE(List("cb_ogg_maxbit")->isEnabled());
}

TEST_F(SettingsDialogTest, Mp3QualityChangesOnlyThroughItsUpDownWithinZeroToNine) {
  dialog.show();
  QLineEdit* quality = Edit("edt_mp3_quality");
  EXPECT_TRUE(quality->isReadOnly());
  QTest::keyClicks(quality, "3");
  EXPECT_EQ(quality->text(), "7");
  QTest::keyClick(quality, Qt::Key_Up);
  QTest::keyClick(quality, Qt::Key_Up);
  QTest::keyClick(quality, Qt::Key_Up);  // no wrap-around past 9
  EXPECT_EQ(quality->text(), "9");
  QTest::keyClick(Edit("edt_mp3_vbr"), Qt::Key_Down);
  EXPECT_EQ(Edit("edt_mp3_vbr")->text(), "4") << "VBR quality is locked while VBR is off";
  Press("btn_ok");
  EXPECT_EQ(Stored("mp3", "quality"), 9);
  EXPECT_EQ(Stored("mp3", "vbr quality"), 4);
}

TEST_F(SettingsDialogTest, OggQualityAboveTheCapShowsOneThousandWithItsComma) {
  dialog.show();
  QLineEdit* box = Edit("edt_ogg_quality");
  box->clear();
  QTest::keyClicks(box, "1500");
  EXPECT_EQ(box->text(), "1,000");
  EXPECT_EQ(Counter("ud_ogg_quality")->Position(), 1000);
  Press("btn_ok");
  EXPECT_EQ(Stored("ogg", "quality"), 1000);
}

TEST_F(SettingsDialogTest, EmptiedOggQualityBoxMeansZeroAndGetsZeroWhenLeft) {
  dialog.show();
  QLineEdit* box = Edit("edt_ogg_quality");
  box->setFocus();
  box->end(false);
  for (int i = 0; i < 3; ++i) QTest::keyClick(box, Qt::Key_Backspace);
  EXPECT_EQ(box->text(), "");
  EXPECT_EQ(Counter("ud_ogg_quality")->Position(), 0);
  LeaveOggQualityBox();
  EXPECT_EQ(box->text(), "0");
  Press("btn_ok");
  EXPECT_EQ(Stored("ogg", "quality"), 0);
}

TEST_F(SettingsDialogTest, TypedLetterErasesTheDigitBeforeTheCaret) {
  dialog.show();
  QLineEdit* box = Edit("edt_ogg_quality");
  box->setCursorPosition(2);  // between "30" and "0"
  QTest::keyClick(box, Qt::Key_A);
  EXPECT_EQ(box->text(), "30");
  EXPECT_EQ(Counter("ud_ogg_quality")->Position(), 30);
  QTest::keyClick(box, Qt::Key_Space);  // the rewritten box has its caret at the end
  EXPECT_EQ(box->text(), "3");
  EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(SettingsDialogTest, PastedTextThatIsNoNumberIsReportedAndThePositionStays) {
  dialog.show();
  QLineEdit* box = Edit("edt_ogg_quality");
  box->setText("4x2");  // what a paste delivers, past the key filter
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_EQ(prompts.errors[0], "'4x2' is not a valid integer value");
  EXPECT_EQ(Counter("ud_ogg_quality")->Position(), 300);
  box->setText("1,2,3");
  EXPECT_EQ(Counter("ud_ogg_quality")->Position(), 123) << "commas are dropped before converting";
}

TEST_F(SettingsDialogTest, RefusedOggFormatStoresNothingUnlessQualityModeIsOn) {
  TAudioFile2 engine;
  ASSERT_FALSE(engine.IsOggFormatSupported(48000, 2, 8, 8, 8));
  dialog.show();
  List("cb_ogg_fre")->setCurrentIndex(9);
  for (const char* list : {"cb_ogg_bitrate", "cb_ogg_minbit", "cb_ogg_maxbit"}) List(list)->setCurrentIndex(0);
  Check("cb_ogg_quality")->setChecked(false);
  List("cb_mp3_bitrate")->setCurrentIndex(0);  // 8 kbit/s at 44100 Hz: refused as well
  Press("btn_ok");
  EXPECT_EQ(prompts.information, std::vector<std::string>{kOggRefused}) << "only the OGG check speaks";
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_FALSE(testsupport::FileExists(settings.Path()));

  Check("cb_ogg_quality")->setChecked(true);
  Press("btn_ok");
  ASSERT_EQ(prompts.information.size(), 2u);
  EXPECT_EQ(prompts.information[1], kMp3Refused);
  EXPECT_FALSE(testsupport::FileExists(settings.Path()));

  List("cb_mp3_bitrate")->setCurrentIndex(11);
  Press("btn_ok");
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(Stored("ogg", "frequency"), 9);
  EXPECT_EQ(Stored("ogg", "min bitrate"), 0);
  EXPECT_EQ(Stored("ogg", "enable quality"), 1);
}

TEST_F(SettingsDialogTest, BitRateRangeWithMinimumBelowMaximumIsAcceptedAndEncoded) {
  // 96 .. 192 kbit/s around a nominal 128: the engine takes the bounds in either order, so
  // the dialog's check answers for exactly what the run will encode.
  TAudioFile2 engine;
  ASSERT_TRUE(engine.IsOggFormatSupported(44100, 2, 128, 96, 192));
  ASSERT_EQ(engine.IsOggFormatSupported(44100, 2, 128, 96, 192), engine.IsOggFormatSupported(44100, 2, 128, 192, 96));
  dialog.show();
  Check("cb_ogg_quality")->setChecked(false);
  List("cb_ogg_minbit")->setCurrentIndex(9);   // 96
  List("cb_ogg_maxbit")->setCurrentIndex(13);  // 192
  List("cb_ogg_fre")->setCurrentIndex(7);      // 32000 Hz
  Press("btn_ok");
  ASSERT_TRUE(prompts.information.empty());
  EXPECT_EQ(Stored("ogg", "min bitrate"), 9);
  EXPECT_EQ(Stored("ogg", "max bitrate"), 13);

  testsupport::TempDir work;
  settings.ini->WriteString("Format", "Dir", work.file("out"));
  RecordingHost host;
  ConverterCore core(*settings.ini, host);
  const std::string source = work.file("tone.wav");
  ASSERT_TRUE(testsupport::MakeTone(source, 2.0));
  core.AddFiles({source});
  core.ConvertFiles(3);
  ASSERT_TRUE(host.information.empty()) << host.information[0];
  testsupport::ProbeInfo out = testsupport::Probe(work.file("out/tone.ogg"));
  ASSERT_TRUE(out.ok);
  EXPECT_EQ(out.codec, "vorbis");
  EXPECT_EQ(out.sampleRate, 32000);
  EXPECT_EQ(out.channels, 2);
}

TEST_F(SettingsDialogTest, DefaultThenCancelStoresNothingAndTheNextShowingReloads) {
  settings.SetContent("[mp3]\nbitrate=5\nvbr quality=7\n");
  const std::string before = settings.Content();
  dialog.show();
  Press("btn_default");
  EXPECT_EQ(List("cb_mp3_bitrate")->currentIndex(), 11);
  Press("btn_cancel");
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(settings.Content(), before);
  dialog.show();
  EXPECT_EQ(List("cb_mp3_bitrate")->currentIndex(), 5);
  EXPECT_EQ(Edit("edt_mp3_vbr")->text(), "7");
}

TEST_F(SettingsDialogTest, DefaultThenOkStoresTheButtonsValues) {
  settings.SetContent("[wav]\nmode=2\n[ogg]\nenable quality=0\nquality=20\n");
  dialog.show();
  Edit("edt_ogg_quality")->clear();
  Press("btn_default");
  EXPECT_EQ(Edit("edt_ogg_quality")->text(), "300");
  EXPECT_FALSE(List("cb_ogg_minbit")->isEnabled());
  EXPECT_FALSE(List("cb_wav_frequency")->isEnabled());
  Press("btn_ok");
  EXPECT_EQ(Stored("mp3", "vbr quality"), 0);
  EXPECT_EQ(Stored("mp3", "quality"), 9);
  EXPECT_EQ(Stored("wav", "mode"), 0);
  EXPECT_EQ(Stored("ogg", "enable quality"), 1);
  EXPECT_EQ(Stored("ogg", "quality"), 300);
}

TEST_F(SettingsDialogTest, FailedWriteShowsTheStoresErrorAndKeepsTheDialogOpen) {
  // A folder where the file should be: every write fails, reads give the defaults.
  ASSERT_EQ(mkdir(settings.Path().c_str(), 0700), 0);
  dialog.show();
  Press("btn_ok");
  EXPECT_EQ(prompts.errors, std::vector<std::string>{"Unable to write to kelvane.ini"});
  EXPECT_TRUE(dialog.isVisible());
}

TEST_F(SettingsDialogTest, CloseBoxActsAsCancel) {
  dialog.show();
  List("cb_ogg_fre")->setCurrentIndex(2);
  dialog.close();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_FALSE(testsupport::FileExists(settings.Path()));
  dialog.show();
  EXPECT_EQ(List("cb_ogg_fre")->currentIndex(), 8);
}

TEST_F(SettingsDialogTest, FailingSkinIsReportedAndTheDialogGoesOnUnskinned) {
  settings.SetContent("[mp3]\nbitrate=5\n");
  skin.failApply = true;
  dialog.show();
  EXPECT_EQ(prompts.errors, std::vector<std::string>{"The window cannot be skinned"});
  EXPECT_EQ(List("cb_mp3_bitrate")->currentIndex(), 5);
  EXPECT_EQ(dialog.frameGeometry().size(), QSize(418, 398));
  Press("btn_ok");
  EXPECT_EQ(Stored("mp3", "bitrate"), 5);
}

TEST_F(SettingsDialogTest, OkDuringARunAppliesToTheNextRun) {
  testsupport::TempDir work;
  settings.ini->WriteString("Format", "Dir", work.file("out"));
  const std::string source = work.file("tone.wav");
  ASSERT_TRUE(testsupport::MakeTone(source, 1.0));

  RecordingHost host;
  ConverterCore core(*settings.ini, host);
  core.AddFiles({source});
  bool changed = false;
  // The menu's "Settings" during the run's first pump: another frequency, OK.
  host.AtPump(host.pumps + 1, [this, &changed] {
    dialog.show();
    List("cb_ogg_fre")->setCurrentIndex(5);  // 22050 Hz
    Press("btn_ok");
    changed = true;
  });
  core.ConvertFiles(3);
  ASSERT_TRUE(changed);
  EXPECT_EQ(Stored("ogg", "frequency"), 5);
  EXPECT_EQ(testsupport::Probe(work.file("out/tone.ogg")).sampleRate, 44100);
  core.ConvertFiles(3);
  EXPECT_EQ(testsupport::Probe(work.file("out/tone(1).ogg")).sampleRate, 22050);
}

TEST_F(SettingsDialogTest, EveryControlHasAnAccessibleName) {
  dialog.show();
  EXPECT_EQ(ControlsWithoutAccessibleName(&dialog), std::vector<std::string>{});
  EXPECT_EQ(List("cb_ogg_minbit")->accessibleName(), "Min Bitrate:");
}

// Names the encoder cannot live up to come with a hint that says what is written instead.
TEST_F(SettingsDialogTest, WmaAndBestSuitedHintsSayWhatIsWritten) {
  dialog.show();
  QStringList wmaTexts;
  for (QLabel* label : List("cb_wma")->parentWidget()->findChildren<QLabel*>())
    wmaTexts << label->text();
  EXPECT_TRUE(wmaTexts.join('|').contains("\"Lossless\" is lossy, about 552 kbit/s"))
      << wmaTexts.join('|').toStdString();
  EXPECT_TRUE(List("cb_wma")->accessibleDescription().contains("constant bit rate"));
  EXPECT_TRUE(Radio("rb_bestsuited")->toolTip().contains("format used last"));
}

}  // namespace

namespace {

TEST_F(SettingsDialogTest, KeyboardAloneChangesAListOnTheOggTabAndConfirms) {
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  QTabWidget* tabs = Child<QTabWidget>(&dialog, "pc");
  for (int i = 0; i < 3; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
  ASSERT_EQ(tabs->currentIndex(), 3);
  QComboBox* frequency = List("cb_ogg_fre");
  while (QApplication::focusWidget() != frequency && QApplication::focusWidget())
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QTest::keyClick(frequency, Qt::Key_Up);
  EXPECT_EQ(frequency->currentText(), "32000 Hz");
  QTest::keyClick(frequency, Qt::Key_Return);  // OK is the default button
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(Stored("ogg", "frequency"), 7);
}

}  // namespace

// The extended face's "General" tab: after the four format tabs, loaded and stored like them,
// its keys written after the classic ones in a section of the program's own. A name pattern
// with a field left open is refused on OK with the reason, and nothing is stored.
TEST(ExtendedSettingsDialog, GeneralTabLoadsStoresAndResetsItsRows) {
  ScratchSettingsFile settings;
  FakeSkin skin;
  RecordingPrompts prompts;
  Tfm_set dialog(skin, nullptr, WindowFace::kExtended);
  dialog.SetSettingsFile(settings.ini.get());
  const std::string stored = "[Velmora]\njobs=4\nkeep tree=0\nname pattern=%title%\nexisting outputs=skip\n";
  settings.SetContent(stored);
  dialog.show();
  auto* jobs = Child<QSpinBox>(&dialog, "ud_jobs");
  auto* tree = Child<QCheckBox>(&dialog, "cb_keep_tree");
  auto* pattern = Child<QLineEdit>(&dialog, "edt_name_pattern");
  auto* existing = Child<QComboBox>(&dialog, "cb_existing");
  EXPECT_EQ(jobs->value(), 4);
  EXPECT_FALSE(tree->isChecked());
  EXPECT_EQ(pattern->text().toStdString(), "%title%");
  EXPECT_EQ(Entries(existing), (QStringList{"number", "skip", "update"}));
  EXPECT_EQ(existing->currentText().toStdString(), "skip");
  EXPECT_EQ(pattern->accessibleName().toStdString(), "Name pattern:");
  EXPECT_EQ(Child<QTabWidget>(&dialog, "pc")->currentIndex(), 0) << "still opens on WAV";
  pattern->setText("%artist/%title%");
  Child<QPushButton>(&dialog, "btn_ok")->click();
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_EQ(prompts.errors[0].rfind("Name pattern:\nThe field that starts at character 1", 0), 0u);
  EXPECT_EQ(settings.Content(), stored);
  jobs->setValue(2);
  tree->setChecked(true);
  pattern->setText("%artist%/%title%");
  existing->setCurrentText("update");
  Child<QPushButton>(&dialog, "btn_ok")->click();
  EXPECT_EQ(settings.Content().substr(0, 86),
            "[Velmora]\njobs=2\nkeep tree=1\nname pattern=%artist%/%title%\nexisting outputs=update\n[wa");
  dialog.show();
  Child<QPushButton>(&dialog, "btn_default")->click();
  EXPECT_EQ(jobs->value(), 0) << "0: every processor";
  EXPECT_TRUE(tree->isChecked());
  EXPECT_EQ(pattern->text().toStdString(), "");
  EXPECT_EQ(existing->currentText().toStdString(), "number");
}

namespace {

// A control of the extended face's tabs "FLAC", "OPUS" and "M4A" and the key it holds: its
// default, a stored value and one a run does not take (shown and stored as the default).
struct FormatControl {
  int tab;
  const char* name;
  const char* section;
  const char* key;
  int byDefault, stored, outOfRange;
};
const FormatControl kFormatControls[] = {
    {4, "ud_flac_compression", "flac", "compression", 5, 8, 9},
    {4, "cb_flac_bit", "flac", "bit", 0, 2, 3},
    {5, "ud_opus_bitrate", "opus", "bitrate", 128, 6, 511},
    {5, "cb_opus_mode", "opus", "mode", 0, 2, -1},
    {5, "ud_opus_complexity", "opus", "complexity", 10, 0, 11},
    {6, "ud_m4a_bitrate", "m4a", "bitrate", 192, 320, 31},
    {6, "cb_m4a_vbr", "m4a", "enable vbr", 0, 1, 2},
    {6, "ud_m4a_vbr", "m4a", "vbr quality", 10, 1, 21},
};

// A control's value as its key stores it (a number shown in tenths stores ten times as much).
int Shown(QWidget* control) {
  if (auto* list = qobject_cast<QComboBox*>(control)) return list->currentIndex();
  if (auto* check = qobject_cast<QCheckBox*>(control)) return check->isChecked() ? 1 : 0;
  auto* number = qobject_cast<QDoubleSpinBox*>(control);
  return static_cast<int>(std::lround(number->value() * (number->decimals() ? 10 : 1)));
}

std::string FormatKeys(int FormatControl::*value) {
  std::string text, section;
  for (const FormatControl& c : kFormatControls) {
    if (section != c.section) text += "[" + (section = c.section) + "]\n";
    text += std::string(c.key) + "=" + std::to_string(c.*value) + "\n";
  }
  return text;
}

class ExtendedSettingsDialogTest : public ::testing::Test {
 protected:
  ExtendedSettingsDialogTest() { dialog.SetSettingsFile(settings.ini.get()); }
  QWidget* Control(const char* name) { return Child<QWidget>(&dialog, name); }
  void Press(const char* button) { Child<QPushButton>(&dialog, button)->click(); }

  ScratchSettingsFile settings;
  FakeSkin skin;
  RecordingPrompts prompts;
  Tfm_set dialog{skin, nullptr, WindowFace::kExtended};
};

TEST_F(ExtendedSettingsDialogTest, FormatTabsComeAfterTheFourAndEveryControlIsNamedByItsLabel) {
  dialog.show();
  QTabWidget* tabs = Child<QTabWidget>(&dialog, "pc");
  QStringList titles;
  for (int i = 0; i < tabs->count(); ++i) titles << tabs->tabText(i);
  EXPECT_EQ(titles, QStringList({"WAV", "MP3", "WMA", "OGG", "FLAC", "OPUS", "M4A", "General"}));
  EXPECT_EQ(ControlsWithoutAccessibleName(&dialog), std::vector<std::string>{});
  std::map<QWidget*, QString> labels;
  for (QLabel* label : dialog.findChildren<QLabel*>()) labels[label->buddy()] = label->text().trimmed();
  for (const FormatControl& c : kFormatControls) {
    EXPECT_TRUE(tabs->widget(c.tab)->isAncestorOf(Control(c.name))) << c.name;
    if (!qobject_cast<QCheckBox*>(Control(c.name))) {
      EXPECT_EQ(labels[Control(c.name)], Control(c.name)->accessibleName()) << c.name;
    }
  }
  EXPECT_EQ(Entries(Child<QComboBox>(&dialog, "cb_opus_mode")), QStringList({"VBR", "Constrained VBR", "CBR"}));
}

// Loaded on showing, reset by Default, kept by Cancel, stored by OK after the classic keys.
TEST_F(ExtendedSettingsDialogTest, EachControlLoadsResetsAndStoresItsKey) {
  const std::pair<std::string, int FormatControl::*> cases[] = {
      {"", &FormatControl::byDefault},
      {FormatKeys(&FormatControl::stored), &FormatControl::stored},
      {FormatKeys(&FormatControl::outOfRange), &FormatControl::byDefault}};
  for (const auto& [content, shown] : cases) {
    if (!content.empty()) settings.SetContent(content);
    dialog.show();
    for (const FormatControl& c : kFormatControls) EXPECT_EQ(Shown(Control(c.name)), c.*shown) << c.name;
    Press("btn_default");
    for (const FormatControl& c : kFormatControls) EXPECT_EQ(Shown(Control(c.name)), c.byDefault) << c.name;
    Press("btn_cancel");
    dialog.show();
    Press("btn_ok");
    EXPECT_TRUE(prompts.information.empty());
    // A fresh file gets them between the classic sections and the program's own.
    const std::string keys = FormatKeys(shown);
    const std::string expected = content.empty() ? "quality=300\n" + keys + "[Velmora]\njobs=0\n" : keys;
    EXPECT_NE(settings.Content().find(expected), std::string::npos) << settings.Content();
  }
}

TEST_F(ExtendedSettingsDialogTest, M4aVbrSwitchesBetweenBitrateAndQuality) {
  dialog.show();
  for (bool ticked : {true, false, true}) {
    Child<QCheckBox>(&dialog, "cb_m4a_vbr")->setChecked(ticked);
    EXPECT_EQ(Control("ud_m4a_vbr")->isEnabled(), ticked);
    EXPECT_EQ(Control("ud_m4a_bitrate")->isEnabled(), !ticked);
  }
  Press("btn_default");
  EXPECT_TRUE(Control("ud_m4a_bitrate")->isEnabled());
}

// Both ends of every number pass the encoders' checks, and what OK stores is what the next
// run encodes: each format from a 24-bit WAV after one change on its tab.
TEST_F(ExtendedSettingsDialogTest, EveryOfferedValueIsTakenAndOkReachesTheNextRun) {
  for (const FormatControl& c : kFormatControls) {
    auto* number = qobject_cast<QDoubleSpinBox*>(Control(c.name));
    for (double end : {number ? number->minimum() : 0, number ? number->maximum() : 0}) {
      dialog.show();
      if (number) number->setValue(end);
      Press("btn_ok");
      ASSERT_TRUE(prompts.information.empty()) << c.name << " " << prompts.information.front();
    }
  }
  testsupport::TempDir work;
  settings.SetContent("[Format]\nDir=" + work.file("out") + "\n");
  const std::string source = work.file("tone.wav");
  ASSERT_TRUE(testsupport::MakeTone(source, 4.0, 44100, 2, "-c:a pcm_s24le"));
  RecordingHost host;
  ConverterCore core(*settings.ini, host);
  core.AddFiles({source});
  const struct {
    int format;
    const char* control;
    double value;
    const char* output;
    long testsupport::ProbeInfo::*measure;
    long atMost;
  } runs[] = {{4, "ud_flac_compression", 0, "tone.flac", nullptr, 0},
              {5, "ud_opus_bitrate", 12, "tone.opus", &testsupport::ProbeInfo::bitRate, 24000},
              {6, "ud_m4a_bitrate", 32, "tone.m4a", &testsupport::ProbeInfo::bitRate, 40000}};
  for (const auto& run : runs) {
    dialog.show();
    qobject_cast<QDoubleSpinBox*>(Control(run.control))->setValue(run.value);
    if (run.format == 4) Child<QComboBox>(&dialog, "cb_flac_bit")->setCurrentIndex(1);  // 16 bits
    Press("btn_ok");
    core.ConvertFiles(run.format);
    const testsupport::ProbeInfo out = testsupport::Probe(work.file(std::string("out/") + run.output));
    ASSERT_TRUE(out.ok) << run.output;
    if (run.measure) {
      EXPECT_LE(out.*run.measure, run.atMost) << run.output;
    } else {
      EXPECT_EQ(out.bitsPerSample, 16);
    }
  }
}

}  // namespace
