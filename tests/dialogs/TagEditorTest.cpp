// The tag editor over real tables, and edited tags carried through conversions into files that
// an independent reader checks.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTableWidget>

#include "DialogTestSupport.h"
#include "app/ConverterCore.h"
#include "app/RecordingHost.h"
#include "tags/GenreNames.h"
#include "tags/Timerec.h"
#include "tags/editor/Tfm_id3.h"

namespace {

Timerec Record(const std::string& title, const std::string& year = "", const std::string& comment = "") {
  Timerec r;
  r.title = title;
  r.artist = "Artist of " + title;
  r.year = year;
  r.album = "Album";
  r.comment = comment;
  r.genre = "Rock";
  return r;
}

class TagEditorTest : public ::testing::Test {
 protected:
  TagEditorTest() : editor(skin) {
    editor.Attach(TagEditorSource{[this] { return names; }, [this] { return table; },
                                  [this](const std::vector<Timerec>& records) { table = records; }});
  }

  void AddRow(const std::string& name, const Timerec& record) {
    names.push_back(name);
    table.push_back(record);
  }
  QTableWidget* Tracks() { return Child<QTableWidget>(&editor, "lv_id3"); }
  QLineEdit* Edit(const char* name) { return Child<QLineEdit>(&editor, name); }
  QComboBox* Genre() { return Child<QComboBox>(&editor, "edt_genre"); }
  QPlainTextEdit* Comment() { return Child<QPlainTextEdit>(&editor, "edt_com"); }
  void Press(const char* button) { Child<QPushButton>(&editor, button)->click(); }
  void ClickRow(int row) {
    QRect cell = Tracks()->visualItemRect(Tracks()->item(row, 0));
    QTest::mouseClick(Tracks()->viewport(), Qt::LeftButton, {}, cell.center());
  }
  void Retype(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    TypeText(edit, text);
  }

  FakeSkin skin;
  RecordingPrompts prompts;
  std::vector<Timerec> table;  // the list's records, as the core keeps them
  std::vector<std::string> names;
  Tfm_id3 editor;
};

TEST_F(TagEditorTest, OpeningListsTheTracksAndShowsTheFirstRecord) {
  AddRow("one.mp3", Record("First", "1999", "c1"));
  AddRow("two.ogg", Record("Second"));
  editor.show();
  EXPECT_EQ(editor.windowTitle(), "ID3 Edit");
  EXPECT_EQ(editor.frameGeometry().size(), QSize(478, 415));
  EXPECT_EQ(Tracks()->horizontalHeaderItem(0)->text(), "Track Name");
  ASSERT_EQ(Tracks()->rowCount(), 2);
  EXPECT_EQ(Tracks()->item(1, 0)->text(), "two.ogg");
  EXPECT_TRUE(Tracks()->item(0, 0)->isSelected());
  EXPECT_EQ(Edit("edt_tatal")->text(), "First");
  EXPECT_EQ(Edit("edt_art")->text(), "Artist of First");
  EXPECT_EQ(Edit("edt_alb")->text(), "Album");
  EXPECT_EQ(Edit("edt_year")->text(), "1999");
  EXPECT_EQ(Genre()->currentText(), "Rock");
  EXPECT_EQ(Comment()->toPlainText(), "c1");
  ASSERT_EQ(skin.calls.size(), 2u);
  EXPECT_EQ(skin.calls[1].operation, "ApplyWindowSkin");
  EXPECT_EQ(skin.calls[1].formName, "windows");
}

TEST_F(TagEditorTest, GenreListHoldsEachNameOnceAfterTwoOpenings) {
  AddRow("a.mp3", Record("A"));
  editor.show();
  Press("btn_cancel");
  editor.show();
  ASSERT_EQ(Genre()->count(), 148);
  for (int i = 0; i < Genre()->count(); ++i) EXPECT_EQ(Genre()->itemText(i).toStdString(), genre_names[i]);
  EXPECT_EQ(Genre()->currentText(), "Rock") << "refilling the list keeps the shown genre";
}

TEST_F(TagEditorTest, CancelAndCloseBoxDiscardEditsAndEmptyTheTrackList) {
  AddRow("a.mp3", Record("A", "2001"));
  const std::vector<Timerec> before = table;
  for (int way = 0; way < 2; ++way) {
    editor.show();
    Retype(Edit("edt_tatal"), "Changed");
    Press("Button4");
    if (way == 0) Press("btn_cancel");
    else editor.close();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(Tracks()->rowCount(), 0);
    EXPECT_EQ(table[0], before[0]);
  }
  editor.show();
  EXPECT_EQ(Edit("edt_tatal")->text(), "A");
}

TEST_F(TagEditorTest, EditsLiveInTheWorkingCopyUntilOk) {
  AddRow("a.mp3", Record("A"));
  AddRow("b.mp3", Record("B"));
  editor.show();
  Retype(Edit("edt_art"), "New Artist");
  ClickRow(1);
  EXPECT_EQ(Edit("edt_art")->text(), "Artist of B");
  ClickRow(0);
  EXPECT_EQ(Edit("edt_art")->text(), "New Artist");
  EXPECT_EQ(table[0].artist, "Artist of A");
  Press("btn_ok");
  EXPECT_EQ(table[0].artist, "New Artist");
  EXPECT_EQ(table[1].artist, "Artist of B");
  EXPECT_EQ(table[0].title, "A");
}

TEST_F(TagEditorTest, ClickBelowTheLastRowSelectsTheLastRow) {
  for (const char* t : {"A", "B", "C"}) AddRow(std::string(t) + ".mp3", Record(t));
  editor.show();
  QWidget* area = Tracks()->viewport();
  QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(20, area->height() - 4));
  EXPECT_TRUE(Tracks()->item(2, 0)->isSelected());
  EXPECT_EQ(Edit("edt_tatal")->text(), "C");
}

TEST_F(TagEditorTest, KeyboardSelectionShowsThatRowsFields) {
  AddRow("a.mp3", Record("A"));
  AddRow("b.mp3", Record("B"));
  editor.show();
  Tracks()->setFocus();
  QTest::keyClick(Tracks(), Qt::Key_Down);
  EXPECT_EQ(Edit("edt_tatal")->text(), "B");
  Retype(Edit("edt_tatal"), "B2");
  Press("btn_ok");
  EXPECT_EQ(table[1].title, "B2");
  EXPECT_EQ(table[0].title, "A");
}

// The fields beyond the seven (a second artist, a picture) are never touched by the editor.
TEST_F(TagEditorTest, AllBesideYearSetsOnlyTheYearOfEveryTrack) {
  Timerec withExtras = Record("A", "1980");
  withExtras.extras.Add("ARTIST", "Second artist");
  withExtras.extras.pictures.push_back(TagPicture{3, "image/png", "cover", {0x89, 'P', 'N', 'G'}});
  AddRow("a.mp3", withExtras);
  AddRow("b.mp3", Record("B"));
  AddRow("c.wav", Record("C"));
  editor.show();
  Retype(Edit("edt_art"), "Edited artist");
  Retype(Edit("edt_year"), "2004");
  Press("Button4");
  Press("btn_ok");
  EXPECT_EQ(table[0].artist, "Edited artist");
  EXPECT_EQ(table[0].extras, withExtras.extras);
  for (size_t row = 0; row < 3; ++row) {
    EXPECT_EQ(table[row].year, "2004") << row;
    EXPECT_EQ(table[row].title, std::string(1, static_cast<char>('A' + row)));
    EXPECT_EQ(table[row].genre, "Rock");
  }
}

TEST_F(TagEditorTest, GenreIsStoredAsTypedOrAsPicked) {
  AddRow("a.mp3", Record("A"));
  AddRow("b.mp3", Record("B"));
  editor.show();
  Genre()->setFocus();
  Genre()->lineEdit()->selectAll();
  TypeText(Genre()->lineEdit(), QString::fromUtf8("Chiptune Ünï"));
  ClickRow(1);
  Genre()->setCurrentIndex(140);
  Press("btn_ok");
  EXPECT_EQ(table[0].genre, "Chiptune Ünï");
  EXPECT_EQ(table[1].genre, "Contemporary C");
}

TEST_F(TagEditorTest, TwoLineCommentKeepsItsLineBreak) {
  AddRow("a.mp3", Record("A", "", "line one\r\nline two"));
  AddRow("b.mp3", Record("B"));
  editor.show();
  EXPECT_EQ(Comment()->toPlainText(), "line one\nline two");
  Retype(Edit("edt_tatal"), "A2");
  ClickRow(1);
  Comment()->setFocus();
  QTest::keyClicks(Comment(), "first");
  QTest::keyClick(Comment(), Qt::Key_Return);
  QTest::keyClicks(Comment(), "second");
  Press("btn_ok");
  EXPECT_EQ(table[0].comment, "line one\r\nline two");
  EXPECT_EQ(table[1].comment, "first\r\nsecond");
}

TEST_F(TagEditorTest, EmptyListGivesEmptyFieldsAndChangesNothing) {
  editor.show();
  EXPECT_EQ(Tracks()->rowCount(), 0);
  EXPECT_EQ(Edit("edt_tatal")->text(), "");
  QTest::mouseClick(Tracks()->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
  Retype(Edit("edt_tatal"), "Nobody");
  Press("Button1");
  Press("btn_ok");
  EXPECT_EQ(table.size(), 0u);
}

TEST_F(TagEditorTest, FailingSkinStillShowsTheCurrentListSoOkCommitsNothingStale) {
  AddRow("a.mp3", Record("A"));
  editor.show();
  Retype(Edit("edt_tatal"), "Left in the working copy");
  Press("btn_cancel");
  table[0] = Record("Changed meanwhile");
  skin.failApply = true;
  editor.show();
  EXPECT_EQ(prompts.errors, std::vector<std::string>{"The window cannot be skinned"});
  EXPECT_EQ(Tracks()->rowCount(), 1);
  EXPECT_EQ(Edit("edt_tatal")->text(), "Changed meanwhile");
  Press("btn_ok");
  EXPECT_EQ(table[0].title, "Changed meanwhile");
}

TEST_F(TagEditorTest, EveryControlHasAnAccessibleNameAndFieldsChainWithTheirAllButtons) {
  AddRow("a.mp3", Record("A"));
  editor.show();
  EXPECT_EQ(ControlsWithoutAccessibleName(&editor), std::vector<std::string>{});
  EXPECT_EQ(Edit("edt_art")->accessibleName(), "Artist:");
  EXPECT_EQ(Edit("edt_tatal")->nextInFocusChain(), Child<QPushButton>(&editor, "Button1"));
}

// Tags typed in the editor reach the converted files of each output format.
class EditedTagsReachOutputs : public ::testing::TestWithParam<int> {};

TEST_P(EditedTagsReachOutputs, NonLatinLongAndTwoLineTexts) {
  const int format = GetParam();
  const char* extension[] = {".mp3", ".wav", ".wma", ".ogg"};
  ScratchSettingsFile settings;
  testsupport::TempDir work;
  settings.ini->WriteString("Format", "Dir", work.file("out"));
  RecordingHost host;
  ConverterCore core(*settings.ini, host);
  ASSERT_TRUE(testsupport::MakeTone(work.file("a.wav"), 1.0));
  ASSERT_TRUE(testsupport::MakeTone(work.file("b.mp3"), 1.0, 44100, 2, "-c:a libmp3lame -b:a 128k"));
  core.AddFiles({work.file("a.wav"), work.file("b.mp3")});

  FakeSkin skin;
  Tfm_id3 editor(skin);
  editor.Attach(TagEditorSource{
      [&core] {
        std::vector<std::string> rowNames;
        for (size_t i = 0; i < core.rows().size(); ++i) rowNames.push_back(core.rows()[i].fileName);
        return rowNames;
      },
      [&core] { return core.rows().TagRecords(); },
      [&core](const std::vector<Timerec>& records) { core.CommitTagRecords(records); }});
  editor.show();
  auto* title = editor.findChild<QLineEdit*>("edt_tatal");
  title->setFocus();
  title->selectAll();
  TypeText(title, QString::fromUtf8("Заголовок 標題 Ünï"));
  editor.findChild<QPushButton*>("Button1")->click();
  // MP3 and WMA keep at most 255 bytes of a comment; Vorbis comments have no such cap.
  const QString longComment = QString(format == 3 ? 600 : 200, QLatin1Char('x'));
  auto* comment = editor.findChild<QPlainTextEdit*>("edt_com");
  comment->setPlainText(longComment + "\nsecond line");
  editor.findChild<QPushButton*>("btn_ok")->click();

  core.ConvertFiles(format);
  for (const char* base : {"a", "b"}) {
    const std::string out = work.file(std::string("out/") + base + extension[format]);
    testsupport::MutagenTags tags = testsupport::ReadWithMutagen(out);
    ASSERT_TRUE(tags.ok) << out << ": " << tags.error;
    const std::string titleKey = format == 3 ? "title" : (format == 2 ? "Title" : "TIT2");
    EXPECT_EQ(tags.values[titleKey], "Заголовок 標題 Ünï") << out;
    if (std::string(base) == "a") {
      const std::string commentKey = format == 3 ? "comment" : (format == 2 ? "Description" : "COMM");
      EXPECT_EQ(tags.values[commentKey], longComment.toStdString() + "\\r\\nsecond line") << out;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, EditedTagsReachOutputs, ::testing::Values(0, 2, 3),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string(info.param == 0 ? "Mp3" : info.param == 2 ? "Wma" : "Ogg");
                         });

}  // namespace

namespace {

TEST_F(TagEditorTest, KeyboardAloneEditsAFieldAppliesItToAllAndConfirms) {
  AddRow("a.mp3", Record("A"));
  AddRow("b.mp3", Record("B"));
  editor.show();
  editor.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
  Tracks()->setFocus();
  QTest::keyClick(Tracks(), Qt::Key_Tab);  // title
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // its "All"
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // artist
  ASSERT_EQ(QApplication::focusWidget(), Edit("edt_art"));
  Edit("edt_art")->selectAll();
  QTest::keyClicks(Edit("edt_art"), "Band");
  QTest::keyClick(Edit("edt_art"), Qt::Key_Tab);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);  // "All" beside Artist
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_EQ(table[1].artist, "Artist of B") << "Escape cancels";
  editor.show();
  editor.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
  Edit("edt_art")->setFocus();
  Edit("edt_art")->selectAll();
  QTest::keyClicks(Edit("edt_art"), "Band");
  QTest::keyClick(Edit("edt_art"), Qt::Key_Return);  // "Ok" is the default button
  EXPECT_FALSE(editor.isVisible());
  EXPECT_EQ(table[0].artist, "Band");
  EXPECT_EQ(table[1].artist, "Artist of B");
}

}  // namespace
