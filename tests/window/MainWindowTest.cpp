// The main window driven as a user would, headless, on real audio files.
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <regex>

#include "WindowFixture.h"
#include "app/ConverterCore.h"
#include "app/OutputNaming.h"
#include "app/window/FileListWidget.h"
#include "dialogs/Tfm_about.h"
#include "engines/EngineError.h"
#include "engines/skin/SkinObject.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"
#include "settings/WindowFace.h"
#include "settings/dialog/Tfm_set.h"
#include "tags/editor/Tfm_id3.h"

namespace {

const char* kMp3 = "-c:a libmp3lame -b:a 128k";

std::vector<std::string> Captions(const QList<QAction*>& actions) {
  std::vector<std::string> captions;
  for (QAction* action : actions)
    captions.push_back(action->isSeparator() ? "-" : action->text().toStdString());
  return captions;
}

std::vector<std::string> Titles(const ConverterCore& core) {
  std::vector<std::string> titles;
  for (size_t i = 0; i < core.rows().size(); ++i)
    titles.push_back(core.rows()[i].tags.title);
  return titles;
}

using Names = std::vector<std::string>;

}  // namespace

TEST_F(WindowFixture, FirstStartWithoutSettingsShowsMusicFolderAndMp3) {
  Tfm_main& main = Start();
  EXPECT_EQ(main.windowTitle().toStdString(), "fm_main");
  EXPECT_EQ(main.centralWidget()->size(), QSize(485, 324));
  EXPECT_EQ(main.findChild<QLineEdit*>("edt_output")->text().toStdString(), music);
  EXPECT_TRUE(main.findChild<QLineEdit*>("edt_output")->isReadOnly());
  EXPECT_EQ(main.findChild<QComboBox*>("cb_format")->currentText().toStdString(), "MP3");
  EXPECT_TRUE(prompts.errors.empty()) << prompts.errors.front();
  ASSERT_NE(main.core(), nullptr);
  EXPECT_FALSE(testsupport::FileExists(SettingsFilePath())) << "showing writes nothing";
}

TEST_F(WindowFixture, WindowAndDialogsCarryTheProgramIcon) {
  Tfm_main& main = Start();
  for (const QWidget* window : std::vector<const QWidget*>{&main, main.findChild<Tfm_about*>()}) {
    const QIcon icon = window->windowIcon();
    for (int size : {16, 32, 48, 256}) {
      const QImage drawn = icon.pixmap(size, size).toImage();
      ASSERT_EQ(drawn.size(), QSize(size, size)) << window->objectName().toStdString();
      // The icon's face: a dark rounded square, opaque in the middle, clear in the corner.
      EXPECT_EQ(qAlpha(drawn.pixel(size / 2, size / 2)), 255) << size;
      EXPECT_LT(qAlpha(drawn.pixel(0, 0)), 128) << size;
    }
  }
}

TEST_F(WindowFixture, MenusListAndNamesAreTheClassicOnes) {
  Tfm_main& main = Start();
  EXPECT_EQ(Captions(main.menuBar()->actions()), (Names{"File", "Settings", "Help "}));
  EXPECT_EQ(main.menuBar()->actions()[1]->menu(), nullptr) << "Settings has no sub-menu";
  EXPECT_EQ(Captions(main.menuBar()->actions()[0]->menu()->actions()),
            (Names{"Converter", "Normalize", "-", "Stop", "EXit"}));
  EXPECT_EQ(Captions(main.menuBar()->actions()[2]->menu()->actions()),
            (Names{"Content", "Visit our web", "-", "About"}));
  EXPECT_EQ(Captions(main.findChild<QMenu*>("PopupMenu1")->actions()),
            (Names{"Add File", "Del File", "Clear", "-", "Converter", "Stop"}));
  auto* lv = main.findChild<FileListWidget*>("lv");
  std::vector<int> widths;
  Names captions;
  for (int i = 0; i < lv->columnCount(); ++i) {
    captions.push_back(lv->model()->headerData(i, Qt::Horizontal).toString().toStdString());
    widths.push_back(lv->columnWidth(i));
  }
  EXPECT_EQ(captions, (Names{"File Name", "File Path", "Time", "Size", "State"}));
  EXPECT_EQ(widths, (std::vector<int>{100, 160, 70, 65, 80}));
  EXPECT_EQ(lv->selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_FALSE(lv->isSortingEnabled());
  EXPECT_EQ(main.findChild<QComboBox*>("cb_format")->count(), 4);
  // Every control says what it is to a screen reader.
  EXPECT_EQ(lv->accessibleName().toStdString(), "File list");
  EXPECT_EQ(main.findChild<QProgressBar*>("pb")->accessibleName().toStdString(), "Progress");
  for (QWidget* control : main.centralWidget()->findChildren<QWidget*>()) {
    if (!control->isVisible() || control->focusPolicy() == Qt::NoFocus) continue;
    if (control->parent() != main.centralWidget() && control->parent()->objectName() != "Skin1") continue;
    EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
  }
}

TEST_F(WindowFixture, CloseWritesForintAndTheNextStartRestoresFormatAndFolder) {
  Start();
  window->findChild<QComboBox*>("cb_format")->setCurrentIndex(3);
  Trigger("EXit1");
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->core(), nullptr) << "settings released on close";
  EXPECT_NE(SettingsText().find("Forint=3"), std::string::npos) << SettingsText();

  TIniFile(SettingsFilePath()).WriteString("Format", "Dir", out.file("chosen"));
  StartAgain();
  EXPECT_EQ(window->findChild<QComboBox*>("cb_format")->currentText().toStdString(), "OGG");
  EXPECT_EQ(window->findChild<QLineEdit*>("edt_output")->text().toStdString(), out.file("chosen"));
}

TEST_F(WindowFixture, AddDeleteAndClearKeepTheTagTableAligned) {
  Start();
  std::string one = Tone("one.mp3", std::string(kMp3) + " -metadata title=One");
  std::string two = Tone("two.mp3", std::string(kMp3) + " -metadata title=Two");
  std::string three = Tone("three.mp3", std::string(kMp3) + " -metadata title=Three");
  std::string bogus = work.file("bogus.mp3");
  testsupport::WriteFileText(bogus, "not audio at all");

  AddThroughDialog({one, bogus, two, three});
  ASSERT_EQ(prompts.filters.size(), 1u);
  EXPECT_EQ(prompts.filters[0].rfind("All Supported Files (*.mp3 *.wav *.wma *.ogg);;", 0), 0u);
  // Whatever else FFmpeg decodes comes after the four formats' own entries.
  EXPECT_NE(prompts.filters[0].find("OGG Files(*.ogg);;Other audio files (*.flac"), std::string::npos);
  ASSERT_EQ(prompts.information.size(), 1u);
  EXPECT_EQ(prompts.information[0].rfind("Information: " + bogus + "is not supported.", 0), 0u)
      << prompts.information[0];
  EXPECT_EQ(ListColumn(0), (Names{"one.mp3", "two.mp3", "three.mp3"}));
  EXPECT_EQ(ListColumn(4), (Names{"unconverted", "unconverted", "unconverted"}));
  EXPECT_EQ(ListColumn(2)[0], "00:00:01");
  EXPECT_EQ(Titles(*window->core()), (Names{"One", "Two", "Three"}));

  // The Delete key on the list deletes the selected row.
  auto* lv = window->findChild<FileListWidget*>("lv");
  lv->setFocus();
  lv->selectRow(1);
  QTest::keyClick(lv, Qt::Key_Delete);
  EXPECT_EQ(ListColumn(0), (Names{"one.mp3", "three.mp3"}));
  EXPECT_EQ(Titles(*window->core()), (Names{"One", "Three"}));

  prompts.answerYes = false;
  Trigger("Clear1");
  ASSERT_EQ(prompts.questions.size(), 1u);
  EXPECT_EQ(prompts.questions[0],
            "Are you sure to remove all the files from filelist?\nNot delete from your computer.");
  EXPECT_EQ(ListColumn(0).size(), 2u);
  prompts.answerYes = true;
  ClickSkin("del");
  EXPECT_TRUE(ListColumn(0).empty());
  EXPECT_TRUE(testsupport::FileExists(one)) << "files on disk stay";
  Trigger("Clear1");
  EXPECT_EQ(prompts.questions.size(), 2u) << "an empty list asks nothing";

  AddThroughDialog({three});
  EXPECT_EQ(Titles(*window->core()), (Names{"Three"}));
}

TEST_F(WindowFixture, ConversionFromTheMenuReachesFinishWithTaggedOutputs) {
  TIniFile(SettingsFilePath()).WriteString("Format", "Dir", out.file("converted"));
  Start();
  std::string song = Tone("song.mp3", std::string(kMp3) + " -metadata title=Song -metadata artist=Band");
  std::string plain = Tone("plain.wav");
  window->AddStartFiles({song, plain});
  window->findChild<QComboBox*>("cb_format")->setCurrentIndex(3);
  Trigger("oOGG1");
  EXPECT_EQ(ListColumn(4), (Names{"finish", "finish"}));
  EXPECT_TRUE(prompts.errors.empty()) << prompts.errors.front();
  testsupport::MutagenTags tags = testsupport::ReadWithMutagen(out.file("converted/song.ogg"));
  ASSERT_TRUE(tags.ok) << tags.error;
  EXPECT_EQ(tags.values["title"], "Song");
  EXPECT_EQ(tags.values["artist"], "Band");
  EXPECT_EQ(testsupport::Probe(out.file("converted/plain.ogg")).codec, "vorbis");
  ASSERT_EQ(opened.size(), 1u) << "the output folder is opened at the end";
  EXPECT_EQ(opened[0].toLocalFile().toStdString().rfind(out.file("converted"), 0), 0u);
}

TEST_F(WindowFixture, DuringARunOnlyStopCloseAndMenuSettingsAreHeard) {
  TIniFile(SettingsFilePath()).WriteString("Format", "Dir", out.file("run"));
  Start();
  window->AddStartFiles({Tone("a.wav", "", 2.0), Tone("b.wav", "", 2.0)});
  ModalCloser modals;
  size_t informationBefore = prompts.information.size();
  bool commandsSent = false;
  // Arrives at the run's first pump, as a user's clicks would.
  QTimer::singleShot(0, [&] {
    commandsSent = true;
    ASSERT_TRUE(window->running());
    prompts.nextFiles = {QString::fromStdString(work.file("a.wav"))};
    window->AddFile1Click();
    window->lvDragDrop({QString::fromStdString(work.file("a.wav"))});
    window->findChild<FileListWidget*>("lv")->selectRow(0);
    window->DelFile1Click();
    window->Clear1Click();
    window->Normalize1Click();
    for (const char* name : {"add", "set", "del", "tag", "nor", "convert"}) ClickSkin(name);
    window->Settings1Click();  // the menu's Settings has no guard
    window->Stop1Click();
  });
  Trigger("Converter1");
  ASSERT_TRUE(commandsSent);
  EXPECT_FALSE(window->running());
  EXPECT_TRUE(prompts.filters.empty()) << "no file dialog during a run";
  EXPECT_TRUE(prompts.questions.empty());
  EXPECT_EQ(modals.opened, (Names{"fm_set"}));
  EXPECT_EQ(ListColumn(0), (Names{"a.wav", "b.wav"}));
  EXPECT_EQ(prompts.information.size(), informationBefore);
  EXPECT_FALSE(testsupport::FileExists(out.file("run/Normalize_a.wav")));
  EXPECT_EQ(ListColumn(4)[1], "unconverted") << "Stop ends the run after the current file";
}

TEST_F(WindowFixture, CloseDuringARunEndsTheRunBeforeReleasingSettings) {
  TIniFile(SettingsFilePath()).WriteString("Format", "Dir", out.file("closing"));
  Start();
  window->AddStartFiles({Tone("a.wav", "", 2.0), Tone("b.wav", "", 2.0)});
  window->findChild<QComboBox*>("cb_format")->setCurrentIndex(1);
  QTimer::singleShot(0, [&] { window->close(); });
  Trigger("oOGG1");
  EXPECT_EQ(window->core(), nullptr);
  EXPECT_NE(SettingsText().find("Forint=1"), std::string::npos);
  EXPECT_TRUE(testsupport::FileExists(out.file("closing/a.wav")));
  EXPECT_FALSE(testsupport::FileExists(out.file("closing/b.wav")));
  EXPECT_EQ(opened.size(), 1u) << "the run's end steps still open the folder";
}

TEST_F(WindowFixture, SkinNamesInAnotherLetterCaseDoNothing) {
  Start();
  ModalCloser modals;
  for (const char* name : {"Add", "ADD", "Set", "Del", "TAG", "Convert", "Stop", "NOR", "add ", ""}) {
    SkinObject object(name);
    window->Skin1Click(&object);
  }
  EXPECT_TRUE(modals.opened.empty());
  EXPECT_TRUE(prompts.filters.empty());
  EXPECT_TRUE(prompts.information.empty()) << "\"Convert\" did not start a run on the empty list";
  SkinObject convert("convert");
  window->Skin1Click(&convert);
  EXPECT_EQ(prompts.information, (Names{"Information: Please add file!"}));
}

class UnskinnedWindow : public WindowFixture, public ::testing::WithParamInterface<SkinChoice> {};

TEST_P(UnskinnedWindow, ShowsTheSkinErrorOnceAndKeepsEveryCommand) {
  TIniFile(SettingsFilePath()).WriteString("Format", "Dir", out.file("plain"));
  Start(GetParam());
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_NE(prompts.errors[0].find("mp3enc.dll"), std::string::npos) << prompts.errors[0];
  ASSERT_NE(window->core(), nullptr) << "the settings file is open all the same";
  EXPECT_EQ(window->findChild<QLineEdit*>("edt_output")->text().toStdString(), out.file("plain"));

  ModalCloser modals;
  prompts.nextFiles = {QString::fromStdString(Tone("x.wav"))};
  ClickSkin("add");
  EXPECT_EQ(ListColumn(0), (Names{"x.wav"}));
  ClickSkin("tag");
  ClickSkin("set");
  EXPECT_EQ(modals.opened, (Names{"fm_id3", "fm_set"}));
  ClickSkin("convert");
  EXPECT_EQ(ListColumn(4), (Names{"finish"}));
  EXPECT_TRUE(testsupport::FileExists(out.file("plain/x.mp3")));
  ClickSkin("nor");
  EXPECT_TRUE(testsupport::FileExists(out.file("plain/Normalize_x.wav")));
  ClickSkin("stop");
  ClickSkin("del");
  EXPECT_TRUE(ListColumn(0).empty());
  EXPECT_EQ(prompts.errors.size(), 1u);
  window->findChild<QComboBox*>("cb_format")->setCurrentIndex(2);
  window->close();
  EXPECT_NE(SettingsText().find("Forint=2"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(MissingOrBroken, UnskinnedWindow,
                         ::testing::Values(SkinChoice::kMissing, SkinChoice::kBroken));

TEST_F(WindowFixture, DroppedFilesAreAdded) {
  Start();
  std::string dropped = Tone("dropped.wav");
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(dropped)), QUrl("https://example.org/x.mp3")});
  auto* lv = window->findChild<FileListWidget*>("lv");
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(lv->viewport(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(lv->viewport(), &drop);
  QApplication::processEvents();
  EXPECT_EQ(ListColumn(1), (Names{dropped}));
  EXPECT_TRUE(prompts.information.empty());
}

// A dropped folder adds what is under it, in either face; what cannot be read is told in one
// box at the end, and the outputs keep the folder tree.
class DroppedFolder : public WindowFixture, public ::testing::WithParamInterface<WindowFace> {};

TEST_P(DroppedFolder, AddsEverythingUnderItAndKeepsItsTree) {
  face = GetParam();
  Start();
  const std::string lib = work.file("lib");
  std::filesystem::create_directories(lib + "/B/inner");
  for (const char* name : {"B/inner/a.wav", "B/b.wav", "c.wav"})
    testsupport::MakeTone(lib + "/" + name, 0.3);
  for (const char* name : {"B/cover.jpg", "notes.txt"}) testsupport::WriteFileText(lib + "/" + name, "x");
  window->lvDragDrop({QString::fromStdString(lib)});
  QApplication::processEvents();
  EXPECT_EQ(ListColumn(1), (Names{lib + "/B/b.wav", lib + "/B/inner/a.wav", lib + "/c.wav"}));
  ASSERT_EQ(prompts.information.size(), 1u);
  EXPECT_NE(prompts.information[0].find("2 files in the added folders could not be read:\n" +
                                        lib + "/B/cover.jpg: "),
            std::string::npos) << prompts.information[0];
  ClickSkin("convert");
  const std::string folder = window->findChild<QLineEdit*>("edt_output")->text().toStdString();
  for (const char* output : {"/B/b", "/B/inner/a", "/c"})
    EXPECT_TRUE(testsupport::FileExists(folder + output + ".mp3")) << folder << output;
}

INSTANTIATE_TEST_SUITE_P(BothFaces, DroppedFolder,
                         ::testing::Values(WindowFace::kClassic, WindowFace::kExtended));

TEST_F(WindowFixture, HelpWebAndAboutOpenWhatTheyShould) {
  Tfm_main& main = Start();
  Trigger("About1");
  Trigger("Visitourweb1");
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0].toLocalFile().toStdString(), data.file("help/velmoramp3converter.html"));
  EXPECT_EQ(opened[1].toString().toStdString(), kHomePage);

  auto* about = main.findChild<Tfm_about*>();
  Trigger("About2");
  EXPECT_TRUE(about->isVisible());
  EXPECT_FALSE(about->isModal());
  // The about box has a fixed size of its own.
  auto expectCentredOverMain = [&](const char* when) {
    const QRect outer = main.frameGeometry();
    EXPECT_EQ(about->frameGeometry().left(), outer.left() + (outer.width() - about->frameGeometry().width()) / 2)
        << when;
    EXPECT_EQ(about->frameGeometry().top(), outer.top() + (outer.height() - about->frameGeometry().height()) / 2)
        << when;
  };
  expectCentredOverMain("first showing");

  // Dragged away, and the main window moved too: a second "About" brings it back over the window.
  about->move(3, 5);
  main.move(main.x() + 41, main.y() + 17);
  QApplication::processEvents();
  Trigger("About2");
  EXPECT_TRUE(about->isVisible());
  expectCentredOverMain("second About while open");

  about->findChild<QPushButton*>("btn_close")->click();
  EXPECT_FALSE(about->isVisible());
  Trigger("About2");
  EXPECT_TRUE(about->isVisible()) << "shown again after Close";
  expectCentredOverMain("after Close");
}

TEST_F(WindowFixture, AddFileOpensInTheMusicFolderThenWhereFilesWereLastPicked) {
  Start();
  AddThroughDialog({Tone("first.wav")});
  prompts.nextFiles.clear();
  window->AddFile1Click();  // cancelled: the folder stays
  AddThroughDialog({Tone("second.wav")});
  EXPECT_EQ(prompts.folders, (Names{music, work.path(), work.path()}));
  EXPECT_EQ(ListColumn(0), (Names{"first.wav", "second.wav"}));
}

TEST_F(WindowFixture, PointingAtANarrowNameOrPathShowsTheWholePath) {
  Start();
  const std::string path = Tone("A rather long recording name that the column cuts.wav");
  window->AddStartFiles({path});
  auto* lv = window->findChild<FileListWidget*>("lv");
  ASSERT_EQ(lv->rowCount(), 1);
  for (int column : {0, 1})
    EXPECT_EQ(lv->model()->index(0, column).data(Qt::ToolTipRole).toString(), lv->Text(0, 1)) << column;
  EXPECT_NE(lv->Text(0, 1).toStdString().find("A rather long recording name"), std::string::npos);
}

TEST_F(WindowFixture, SizesShowTheLocalesDecimalSeparator) {
  Start();
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  window->AddStartFiles({Tone("komma.wav", "", 3.0)});
  EXPECT_EQ(ListColumn(3), (Names{"0,50MB"}));
  QLocale::setDefault(QLocale::c());
  window->AddStartFiles({work.file("komma.wav")});
  EXPECT_EQ(ListColumn(3), (Names{"0.50MB", "0.50MB"}));
}

TEST_F(WindowFixture, EveryCommandHasAKey) {
  Tfm_main& main = Start();
  const std::vector<std::pair<const char*, QKeySequence>> keys = {
      {"oOGG1", QKeySequence(Qt::Key_F5)},          {"Normalize1", QKeySequence(Qt::Key_F6)},
      {"Stop1", QKeySequence(Qt::Key_Escape)},      {"EXit1", QKeySequence(Qt::CTRL | Qt::Key_Q)},
      {"Settings1", QKeySequence(Qt::CTRL | Qt::Key_Comma)}, {"About1", QKeySequence(Qt::Key_F1)},
      {"AddFile1", QKeySequence(Qt::Key_Insert)},   {"DelFile1", QKeySequence(Qt::Key_Delete)},
      {"Clear1", QKeySequence(Qt::SHIFT | Qt::Key_Delete)}};
  for (const auto& [name, key] : keys) {
    QAction* action = main.findChild<QAction*>(name);
    ASSERT_NE(action, nullptr) << name;
    EXPECT_EQ(action->shortcut(), key) << name;
  }
  auto* lv = main.findChild<FileListWidget*>("lv");
  lv->setFocus();
  QTest::keyClick(lv, Qt::Key_F5);
  EXPECT_EQ(prompts.information, (Names{"Information: Please add file!"})) << "F5 reached Converter";
  QTest::keyClick(lv, Qt::Key_Insert);
  EXPECT_EQ(prompts.filters.size(), 1u) << "Insert reached Add File";
  QTest::keyClick(&main, Qt::Key_F10);
  EXPECT_EQ(main.menuBar()->activeAction(), main.menuBar()->actions()[0]) << "F10 opens File";
  main.menuBar()->setActiveAction(nullptr);
}

TEST_F(WindowFixture, AnotherSkinFileGivesTheWindowAnotherLook) {
  Tfm_main& main = Start(SkinChoice::kDaylight);
  EXPECT_TRUE(prompts.errors.empty()) << prompts.errors.front();
  Names captions;
  for (auto* button : main.findChild<QWidget*>("Skin1")->findChildren<QToolButton*>())
    captions.push_back(button->text().toStdString());
  EXPECT_EQ(captions, (Names{"Go", "Halt", "More"}));
  QImage look = main.grab().toImage();
  EXPECT_EQ(QColor(look.pixel(1, main.height() - 1)).name().toStdString(), "#e0a030")
      << "the strip's background from the skin";
  // Its "convert" object still converts: the names, not the captions, select the commands.
  ClickSkin("convert");
  EXPECT_EQ(prompts.information, (Names{"Information: Please add file!"}));
}

TEST_F(WindowFixture, AnEngineThatCannotStartIsExplainedAndTheRestStillWorks) {
  coreFactory = [](TIniFile&, RunHost&) -> std::unique_ptr<ConverterCore> {
    throw EngineError("no audio device is free");
  };
  const std::string expected =
      "The audio engine could not start, so files cannot be listed or converted:\n"
      "no audio device is free";
  Start();
  EXPECT_EQ(window->core(), nullptr);
  EXPECT_EQ(prompts.errors, (Names{expected})) << "said once, when the window is up";

  // What needs the engine says why again instead of doing nothing.
  prompts.errors.clear();
  window->AddFile1Click();
  window->lvDragDrop({QString::fromStdString(Tone("dropped.wav"))});
  Trigger("Converter1");
  Trigger("Normalize1");
  ClickSkin("convert");
  EXPECT_EQ(prompts.errors, (Names(5, expected)));
  EXPECT_TRUE(prompts.filters.empty()) << "no file dialog for files that cannot be listed";
  EXPECT_TRUE(ListColumn(0).empty());

  // The rest works: the dialogs open, Clear on the empty list is quiet, and the format is kept.
  ModalCloser modals;
  Trigger("Settings1");
  ClickSkin("tag");
  // The tag editor has a "Button1" of its own.
  window->centralWidget()->findChild<QPushButton*>("Button1")->click();
  Trigger("Clear1");
  EXPECT_EQ(modals.opened, (Names{"fm_set", "fm_id3", "fm_dir"}));
  EXPECT_EQ(prompts.errors.size(), 5u);
  EXPECT_TRUE(prompts.questions.empty());
  window->findChild<QComboBox*>("cb_format")->setCurrentIndex(3);
  Trigger("EXit1");
  EXPECT_NE(SettingsText().find("Forint=3"), std::string::npos);
}

TEST_F(WindowFixture, TabLeavesTheListAndReachesEveryStripCommand) {
  Tfm_main& main = Start();
  window->AddStartFiles({Tone("a.wav"), Tone("b.wav")});
  auto* lv = main.findChild<FileListWidget*>("lv");
  lv->setFocus();
  lv->selectRow(0);
  QTest::keyClick(lv, Qt::Key_Down);
  EXPECT_EQ(lv->SelectedRow(), 1) << "the arrows move within the list";
  Names order;
  for (int i = 0; i < 11; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    order.push_back(QApplication::focusWidget()->objectName().toStdString());
  }
  EXPECT_EQ(order, (Names{"skin_add", "skin_del", "skin_tag", "skin_set", "skin_convert", "skin_nor",
                          "skin_stop", "edt_output", "Button1", "cb_format", "lv"}));
  QTest::keyClick(lv, Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), "cb_format");

  // The strip is the only way to the tag editor: Space on its button opens it.
  ModalCloser modals;
  auto* tags = main.findChild<QToolButton*>("skin_tag");
  tags->setFocus();
  QTest::keyClick(tags, Qt::Key_Space);
  EXPECT_EQ(modals.opened, (Names{"fm_id3"}));
}

TEST_F(WindowFixture, F10ArrowsWalkTheWholeMenuBarAndEnterOpensSettings) {
  Tfm_main& main = Start();
  auto* edit = main.findChild<QLineEdit*>("edt_output");
  edit->setFocus();
  QTest::keyClick(&main, Qt::Key_F10);
  auto activeCaption = [&] {
    QAction* active = main.menuBar()->activeAction();
    return active ? active->text().toStdString() : std::string("none");
  };
  Names walked{activeCaption()};
  for (Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Left, Qt::Key_Left}) {
    QTest::keyClick(QApplication::focusWidget(), key);
    walked.push_back(activeCaption());

  }
  EXPECT_EQ(walked, (Names{"File", "Settings", "Help ", "File", "Help ", "Settings"}));
  EXPECT_EQ(QApplication::focusWidget(), main.menuBar()) << "still in menu mode";

  ModalCloser modals;
  QTest::keyClick(main.menuBar(), Qt::Key_Return);
  EXPECT_EQ(modals.opened, (Names{"fm_set"}));
  EXPECT_EQ(main.focusWidget(), edit) << "the focus goes back where it was";
  QApplication::setActiveWindow(&main);  // no window manager hands it back here

  QTest::keyClick(&main, Qt::Key_F10);
  QTest::keyClick(main.menuBar(), Qt::Key_Left);
  QTest::keyClick(main.menuBar(), Qt::Key_Down);
  ASSERT_NE(QApplication::activePopupWidget(), nullptr);
  EXPECT_EQ(QApplication::activePopupWidget()->objectName().toStdString(), "Help1");
  QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
  QTest::keyClick(main.menuBar(), Qt::Key_Escape);
  EXPECT_EQ(QApplication::focusWidget(), edit);
}

TEST_F(WindowFixture, ComboBoxesAreNamedByTheirLabels) {
  Tfm_main& main = Start();
  size_t boxes = 0;
  for (QWidget* window : std::vector<QWidget*>{&main, main.findChild<Tfm_set*>(), main.findChild<Tfm_id3*>()}) {
    for (QComboBox* box : window->findChildren<QComboBox*>()) {
      if (box->window() != window) continue;  // the dialogs are the main window's children
      ++boxes;
      const std::string name = box->objectName().toStdString();
      QString label = box->objectName() == "cb_wma" ? QString("WMA Format") : QString();
      for (QLabel* candidate : window->findChildren<QLabel*>())
        if (candidate->buddy() == box) label = candidate->text().trimmed();
      QAccessibleInterface* said = QAccessible::queryAccessibleInterface(box);
      ASSERT_FALSE(label.isEmpty()) << name;
      EXPECT_EQ(said->text(QAccessible::Name), label) << name;
      EXPECT_EQ(said->text(QAccessible::Value), box->currentText()) << name;
      EXPECT_EQ(said->role(), QAccessible::ComboBox) << name;
      EXPECT_GE(said->childCount(), 1) << name << ": its list of choices";
      if (box->lineEdit()) {
        EXPECT_EQ(QAccessible::queryAccessibleInterface(box->lineEdit())->text(QAccessible::Name), label) << name;
      }
    }
  }
  EXPECT_EQ(boxes, 1u + 13u + 1u) << "the format box, the settings' lists, the genre box";
}

TEST_F(WindowFixture, ARunKeepsItsRowInViewAndTheStateColumnBesideTheScrollBar) {
  TIniFile(SettingsFilePath()).WriteString("Format", "Dir", out.file("many"));
  Tfm_main& main = Start();
  auto* lv = main.findChild<FileListWidget*>("lv");
  auto widths = [lv] {
    std::vector<int> all;
    for (int i = 0; i < lv->columnCount(); ++i) all.push_back(lv->columnWidth(i));
    return all;
  };
  auto shown = [lv](int row) { return lv->viewport()->rect().contains(lv->visualRect(lv->model()->index(row, 4))); };
  const std::string tone = Tone("t.wav", "", 0.2);
  std::vector<std::string> files(30, tone);
  window->AddStartFiles(files);
  // The rows may come in one batch: the view lays them out on a timer, and the scroll area
  // shows its bar on a queued call after that.
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  ASSERT_TRUE(lv->verticalScrollBar()->isVisible());
  EXPECT_FALSE(lv->horizontalScrollBar()->isVisible()) << "no bar hides the State column";
  std::vector<int> narrowed = widths();
  EXPECT_EQ(std::vector<int>(narrowed.begin(), narrowed.begin() + 4), (std::vector<int>{100, 160, 70, 65}));
  EXPECT_EQ(narrowed[4], lv->viewport()->width() - 395);
  EXPECT_LT(narrowed[4], 80);
  EXPECT_FALSE(shown(29));

  window->findChild<QComboBox*>("cb_format")->setCurrentIndex(1);
  Trigger("oOGG1");
  EXPECT_EQ(ListColumn(4)[29], "finish");
  EXPECT_TRUE(shown(29)) << "the list followed the run to its last row";

  Trigger("Clear1");
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  EXPECT_EQ(widths(), (std::vector<int>{100, 160, 70, 65, 80}));
}

TEST_F(WindowFixture, EveryChosenFileIsListedOrNamedInAMessage) {
  Start();
  const std::string tone = Tone("tone.wav");
  auto longNamed = [&](int i) {
    std::string name = std::to_string(1000 + i) + "_" + std::string(217, 'n') + ".wav";  // 226 characters
    std::string path = work.file(name);
    std::filesystem::copy_file(tone, path, std::filesystem::copy_options::overwrite_existing);
    return path;
  };
  std::vector<std::string> three = {longNamed(0), longNamed(1), longNamed(2)};
  ASSERT_EQ(FileNameOf(three[0]).size(), 226u);
  AddThroughDialog(three);
  EXPECT_EQ(ListColumn(1), three);

  Trigger("Clear1");
  std::vector<std::string> many;
  for (int i = 0; i < 200; ++i) many.push_back(longNamed(i));
  many[57] = work.file(std::string(222, 'x') + ".wav");  // not there any more
  AddThroughDialog(many);
  std::vector<std::string> listed = ListColumn(1);
  EXPECT_EQ(listed.size(), 199u);
  ASSERT_EQ(prompts.information.size(), 1u);
  EXPECT_EQ(prompts.information[0].rfind("Information: " + many[57] + "is not supported.", 0), 0u);
  many.erase(many.begin() + 57);
  EXPECT_EQ(listed, many);
}

// --- the two faces, and runs with several jobs in the extended one ---

namespace {

struct FaceContents {
  std::vector<Names> menus;  // bar, "File", "Help ", the pop-up
  Names formats, tabs;
};

FaceContents ContentsOf(Tfm_main& main) {
  FaceContents seen;
  QMenuBar* bar = main.menuBar();
  seen.menus = {Captions(bar->actions()), Captions(bar->actions()[0]->menu()->actions()),
                Captions(bar->actions()[2]->menu()->actions()),
                Captions(main.findChild<QMenu*>("PopupMenu1")->actions())};
  auto* formats = main.findChild<QComboBox*>("cb_format");
  for (int i = 0; i < formats->count(); ++i) seen.formats.push_back(formats->itemText(i).toStdString());
  auto* tabs = main.findChild<Tfm_set*>()->findChild<QTabWidget*>("pc");
  for (int i = 0; i < tabs->count(); ++i) seen.tabs.push_back(tabs->tabText(i).toStdString());
  return seen;
}

// Every entry of `shorter`, in its order, with others between or after them.
bool OnlyAdds(const Names& longer, const Names& shorter) {
  auto next = longer.begin();
  for (const std::string& entry : shorter) {
    next = std::find(next, longer.end(), entry);
    if (next == longer.end()) return false;
    ++next;
  }
  return true;
}

}  // namespace

TEST_F(WindowFixture, TheClassicFaceIsTheClassicWindowAndTheExtendedOneOnlyAdds) {
  Start();
  ASSERT_EQ(window->face(), WindowFace::kClassic);
  const FaceContents classic = ContentsOf(*window);
  EXPECT_EQ(classic.formats, (Names{"MP3", "WAV", "WMA", "OGG"}));
  EXPECT_EQ(classic.tabs, (Names{"WAV", "MP3", "WMA", "OGG"}));

  face = WindowFace::kExtended;
  StartAgain();
  const FaceContents extended = ContentsOf(*window);
  for (size_t i = 0; i < classic.menus.size(); ++i)
    EXPECT_TRUE(OnlyAdds(extended.menus[i], classic.menus[i])) << i;
  EXPECT_EQ(extended.formats, (Names{"MP3", "WAV", "WMA", "OGG", "FLAC", "OPUS", "M4A"}))
      << "the stored format index keeps its meaning";
  EXPECT_EQ(extended.tabs, (Names{"WAV", "MP3", "WMA", "OGG", "FLAC", "OPUS", "M4A", "General"}));
}

// A format after the four, stored by the extended face, reads in the classic face as any
// index outside the four does: the default, MP3, which the next close stores.
TEST_F(WindowFixture, AStoredLaterFormatShowsInTheExtendedFaceOnly) {
  const struct {
    WindowFace face;
    const char* shown;
    const char* storedOnClose;
  } cases[] = {{WindowFace::kExtended, "OPUS", "Forint=5"}, {WindowFace::kClassic, "MP3", "Forint=0"}};
  for (const auto& c : cases) {
    TIniFile(SettingsFilePath()).WriteInteger("Format", "Forint", 5);
    face = c.face;
    StartAgain();
    EXPECT_EQ(window->findChild<QComboBox*>("cb_format")->currentText().toStdString(), c.shown);
    Trigger("EXit1");
    EXPECT_NE(SettingsText().find(c.storedOnClose), std::string::npos) << SettingsText();
  }
}

TEST(WindowFaceOption, TakenFromTheArgumentsAndStoredForTheNextStarts) {
  struct Case {
    std::vector<std::string> args;
    std::optional<WindowFace> face;
    std::vector<std::string> left;
  };
  const Case cases[] = {
      {{"--extended", "a.wav"}, WindowFace::kExtended, {"a.wav"}},
      {{"a.wav", "--classic"}, WindowFace::kClassic, {"a.wav"}},
      {{"--classic", "--extended"}, WindowFace::kExtended, {}},
      {{"--", "--extended"}, std::nullopt, {"--", "--extended"}},
      {{"b.wav"}, std::nullopt, {"b.wav"}},
  };
  for (Case c : cases) {
    EXPECT_EQ(TakeFaceOption(c.args), c.face) << c.left.size();
    EXPECT_EQ(c.args, c.left);
  }
  testsupport::TempDir folder;
  TIniFile settings(folder.file("kelvane.ini"));
  EXPECT_EQ(ReadWindowFace(settings), WindowFace::kClassic) << "classic until asked";
  WriteWindowFace(settings, WindowFace::kExtended);
  EXPECT_EQ(ReadWindowFace(TIniFile(folder.file("kelvane.ini"))), WindowFace::kExtended);
  settings.WriteString("Velmora", "face", "EXTENDED");
  EXPECT_EQ(ReadWindowFace(settings), WindowFace::kClassic);
}

class ExtendedWindow : public WindowFixture {
 protected:
  Tfm_main& StartWithJobs(int jobs, const std::string& outFolder) {
    TIniFile ini(SettingsFilePath());
    Write(ini, settings_keys::kJobs, jobs);
    ini.WriteString("Format", "Dir", outFolder);
    face = WindowFace::kExtended;
    return Start();
  }
  std::string LongTone(const std::string& name) { return Tone(name, "-ar 22050 -ac 1", 120.0); }
  // velmora-convert --jobs 1 with `options` on the same sources writes the names and the bytes
  // (Ogg serials aside) that the window wrote into `windowFolder`.
  void ExpectSameFilesAsTheConverter(const std::string& options, const std::vector<std::string>& sources,
                                     const std::string& windowFolder) {
    const std::string cli1 = windowFolder + "-cli";
    std::string command = std::string(VELMORA_CONVERT_PATH) + " --jobs 1 " + options + " --output " +
                          testsupport::ShellQuote(cli1);
    for (const std::string& source : sources) command += " " + testsupport::ShellQuote(source);
    ASSERT_EQ(testsupport::Run(command).exitCode, 0) << command;
    const Names names = SortedNames(cli1);
    EXPECT_EQ(SortedNames(windowFolder), names) << options;
    EXPECT_EQ(names.size(), sources.size());
    for (const std::string& name : names) {
      std::vector<uint8_t> expected = testsupport::ComparableAudioBytes(cli1 + "/" + name);
      EXPECT_FALSE(expected.empty()) << name;
      EXPECT_TRUE(expected == testsupport::ComparableAudioBytes(windowFolder + "/" + name)) << name;
    }
  }
  static Names SortedNames(const std::string& folder) {
    Names names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  // Calls `act` once, at the first pump that sees every one of `rows` "Converting".
  void WhenAllConverting(std::vector<int> rows, std::function<void()> act) {
    auto* poll = new QTimer(window.get());
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [this, rows, act, poll] {
      if (!window->running()) return;
      for (int row : rows)
        if (ListColumn(4)[static_cast<size_t>(row)] != "Converting") return;
      poll->stop();
      barDuringRun = window->findChild<QProgressBar*>("pb")->value();
      act();
    });
    poll->start();
  }
  int barDuringRun = -1;
};

TEST_F(ExtendedWindow, ThreeJobsWriteTheSameNamesAndBytesAsTheConverterWithOneJob) {
  const std::string tagged = "-c:a libmp3lame -b:a 128k -metadata title=Second -metadata artist=Two";
  const std::vector<std::string> sources = {
      Tone("one/song.wav", "", 1.5), Tone("two/song.mp3", tagged, 1.2),
      Tone("tagged.ogg", "-c:a libvorbis -metadata title=OggTitle", 1.0),
      Tone("plain.mp3", kMp3, 0.8), Tone("my.dotted.wav", "-ar 22050 -ac 1", 0.6)};
  const char* const names[] = {"mp3", "wav", "wma", "ogg", "flac", "opus", "m4a"};
  for (int format : {0, 3, 4, 5, 6}) {
    const std::string window3 = out.file("window" + std::to_string(format));
    // The default 192 kbit/s is more than AAC's frames hold for the mono 22050 Hz source: lowered.
    StartWithJobs(3, window3);
    window->AddStartFiles(sources);
    window->findChild<QComboBox*>("cb_format")->setCurrentIndex(format);
    Trigger("oOGG1");
    EXPECT_EQ(ListColumn(4), Names(sources.size(), "finish"));
    EXPECT_TRUE(prompts.errors.empty()) << prompts.errors.front();
    ExpectSameFilesAsTheConverter(std::string("--format ") + names[format], sources, window3);
  }
}

// Stored loudness options: the extended face normalizes to the loudness target and writes
// ReplayGain tags; the classic face normalizes block by block and writes none.
TEST_F(WindowFixture, OnlyTheExtendedFaceTakesTheLoudnessOptions) {
  const std::string source = Tone("quiet.wav", "-af volume=0.05", 6.0);
  for (WindowFace shown : {WindowFace::kClassic, WindowFace::kExtended}) {
    const bool extended = shown == WindowFace::kExtended;
    const std::string folder = out.file(extended ? "extended" : "classic");
    {
      TIniFile ini(SettingsFilePath());
      Write(ini, settings_keys::kNormalizeKind, 1);
      Write(ini, settings_keys::kLoudnessTarget, std::string("-23"));
      Write(ini, settings_keys::kReplayGain, 1);
      ini.WriteString("Format", "Dir", folder);
    }
    face = shown;
    StartAgain();
    window->AddStartFiles({source});
    window->Normalize1Click();
    window->findChild<QComboBox*>("cb_format")->setCurrentIndex(3);
    Trigger("oOGG1");
    EXPECT_TRUE(prompts.errors.empty()) << prompts.errors.front();
    const double lufs = testsupport::MeasureWithFfmpeg(folder + "/Normalize_quiet.wav").integratedLufs;
    if (extended) {
      EXPECT_NEAR(lufs, -23.0, 0.3);
    } else {
      EXPECT_GT(std::fabs(lufs + 23.0), 1.0) << "each block raised towards its peak instead";
    }
    const auto gains = testsupport::ReadGainTags(folder + "/quiet.ogg");
    EXPECT_EQ(gains.count("REPLAYGAIN_TRACK_GAIN"), extended ? 1u : 0u);
  }
}

// Normalize keeps FLAC, Opus and M4A sources in their own formats, with three jobs as with one.
TEST_F(ExtendedWindow, ThreeJobsNormalizeFlacOpusAndM4aAsTheConverterDoesWithOneJob) {
  const std::vector<std::string> sources = {
      Tone("a.flac", "-c:a flac -sample_fmt s32", 1.5), Tone("b.opus", "-c:a libopus -b:a 64k", 1.2),
      Tone("c.m4a", "-c:a aac -b:a 128k", 1.0), Tone("d.flac", "-ar 22050 -ac 1", 0.7)};
  const std::string window3 = out.file("normalized");
  StartWithJobs(3, window3);
  window->AddStartFiles(sources);
  Trigger("Normalize1");
  EXPECT_EQ(ListColumn(4), Names(sources.size(), "finish"));
  EXPECT_TRUE(prompts.errors.empty()) << prompts.errors.front();
  EXPECT_TRUE(testsupport::FileExists(window3 + "/Normalize_b.opus"));
  ExpectSameFilesAsTheConverter("--normalize", sources, window3);
}

// Stop from the menu and closing the window: each ends every file in flight, which keeps what
// it wrote and gets its tags; the file that had not started stays as it was.
TEST_F(ExtendedWindow, StopAndCloseEndEveryFileInFlight) {
  for (bool closing : {false, true}) {
    const std::string folder = out.file(closing ? "closed" : "stopped");
    StartWithJobs(3, folder);
    window->AddStartFiles({LongTone("long1.wav"), LongTone("long2.wav"), LongTone("long3.wav"),
                           Tone("never.wav")});
    for (size_t row = 0; row < 3; ++row) {
      Timerec tags;
      tags.title = "Title" + std::to_string(row + 1);
      window->core()->SetRowTags(row, tags);
    }
    window->findChild<QComboBox*>("cb_format")->setCurrentIndex(3);
    WhenAllConverting({0, 1, 2}, [this, closing] { closing ? (void)window->close() : Trigger("Stop1"); });
    Trigger("oOGG1");
    EXPECT_LT(barDuringRun, 75) << "the whole run's bar: no file done, three parts of four at most";
    EXPECT_FALSE(window->running());
    if (closing) {
      EXPECT_EQ(window->core(), nullptr) << "settings released once the run ended";
    } else {
      EXPECT_EQ(ListColumn(4), (Names{"finish", "finish", "finish", "unconverted"}));
    }
    for (int i = 1; i <= 3; ++i) {
      const std::string output = folder + "/long" + std::to_string(i) + ".ogg";
      EXPECT_LT(testsupport::DecodedSeconds(output), 110.0) << output;
      EXPECT_EQ(testsupport::ReadWithMutagen(output).values["title"], "Title" + std::to_string(i));
    }
    EXPECT_FALSE(testsupport::FileExists(folder + "/never.ogg"));
    EXPECT_EQ(opened.size(), closing ? 2u : 1u) << "the run's end still opens the folder";
  }
}

TEST_F(ExtendedWindow, AnErrorEndsTheRunAfterTheFilesInFlightFinish) {
  const std::string folder = out.file("failing");
  StartWithJobs(2, folder);
  const std::string broken = Tone("broken.wav");
  window->AddStartFiles({Tone("first.wav", "-ar 22050 -ac 1", 20.0),
                         Tone("second.wav", "-ar 22050 -ac 1", 25.0), broken, Tone("after.wav")});
  // Broken once listed, so it fails when it is reached: with two jobs, after the first file
  // finished and while the second is still converting. Breaking it only once both were seen
  // converting raced the first file's end on a loaded machine.
  testsupport::WriteFileText(broken, "no longer audio");
  Trigger("oOGG1");
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_NE(prompts.errors[0].find(broken), std::string::npos) << prompts.errors[0];
  EXPECT_FALSE(window->running());
  EXPECT_NEAR(testsupport::DecodedSeconds(folder + "/first.mp3"), 20.0, 0.1);
  EXPECT_NEAR(testsupport::DecodedSeconds(folder + "/second.mp3"), 25.0, 0.1);
  EXPECT_FALSE(testsupport::FileExists(folder + "/after.mp3"));
  EXPECT_EQ(ListColumn(4)[3], "unconverted");
  EXPECT_TRUE(opened.empty()) << "an error ends the run without opening the folder";
}

TEST_F(ExtendedWindow, DuringARunWithThreeJobsOnlyStopCloseAndMenuSettingsAreHeard) {
  StartWithJobs(3, out.file("guarded"));
  window->AddStartFiles({LongTone("a.wav"), LongTone("b.wav")});
  ModalCloser modals;
  WhenAllConverting({0, 1}, [&] {
    prompts.nextFiles = {QString::fromStdString(work.file("a.wav"))};
    for (const char* action : {"AddFile1", "DelFile1", "Clear1", "Normalize1", "oOGG1"}) Trigger(action);
    for (const char* name : {"add", "set", "del", "tag", "nor", "convert"}) ClickSkin(name);
    Trigger("Settings1");  // the menu's Settings has no guard
    Trigger("Stop2");
  });
  Trigger("Converter1");
  EXPECT_FALSE(window->running());
  EXPECT_TRUE(prompts.filters.empty()) << "no file dialog during a run";
  EXPECT_TRUE(prompts.questions.empty());
  EXPECT_EQ(modals.opened, (Names{"fm_set"}));
  EXPECT_EQ(ListColumn(0), (Names{"a.wav", "b.wav"}));
  EXPECT_EQ(ListColumn(4), (Names{"finish", "finish"}));
  EXPECT_FALSE(testsupport::FileExists(out.file("guarded/Normalize_a.wav")));
}

// --- whole libraries in the extended face ---

namespace {

// The files below `folder`, as paths relative to it, in order.
Names FilesBelow(const std::string& folder) {
  Names files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) files.push_back(entry.path().lexically_relative(folder).string());
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

// "Add Folder" is the extended face's: right after "Add File" in the pop-up, with a key no other
// command has. Its chooser opens in the music folder, then beside the folder last added; what
// cannot be read is named in one box at the end. The classic face has neither entry nor key.
TEST_F(WindowFixture, AddFolderInTheExtendedFaceAddsEverythingUnderTheFolder) {
  Start();
  EXPECT_EQ(window->findChild<QAction*>("AddFolder1"), nullptr);
  face = WindowFace::kExtended;
  StartAgain();
  const Names popup = Captions(window->findChild<QMenu*>("PopupMenu1")->actions());
  ASSERT_GE(popup.size(), 2u);
  EXPECT_EQ(Names(popup.begin(), popup.begin() + 2), (Names{"Add File", "Add Folder"}));
  QAction* addFolder = window->findChild<QAction*>("AddFolder1");
  ASSERT_NE(addFolder, nullptr);
  EXPECT_EQ(addFolder->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
  for (QAction* other : window->findChildren<QAction*>())
    EXPECT_TRUE(other == addFolder || other->shortcut() != addFolder->shortcut()) << other->objectName().toStdString();

  const std::string lib = work.file("lib");
  Tone("lib/b/two.wav");
  Tone("lib/a/one.mp3", kMp3);
  Tone("lib/three.wav");
  testsupport::WriteFileText(lib + "/a/notes.txt", "not audio");
  prompts.nextFolder = QString::fromStdString(lib);
  auto* lv = window->findChild<FileListWidget*>("lv");
  lv->setFocus();
  QTest::keyClick(lv, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(ListColumn(1), (Names{lib + "/a/one.mp3", lib + "/b/two.wav", lib + "/three.wav"}));
  ASSERT_EQ(prompts.information.size(), 1u);
  EXPECT_NE(prompts.information[0].find(lib + "/a/notes.txt: "), std::string::npos) << prompts.information[0];
  prompts.nextFolder.clear();
  Trigger("AddFolder1");  // cancelled
  EXPECT_EQ(ListColumn(1).size(), 3u);
  EXPECT_EQ(prompts.chooserFolders, (Names{music, work.path()}));
}

// The "General" tab's options, set in the dialog, reach the window's next runs: the tree off,
// then names from the tags below the kept tree, then "skip" leaves every output alone.
TEST_F(ExtendedWindow, GeneralOptionsDriveTheRuns) {
  const std::string folder = out.file("library");
  const std::string lib = work.file("lib");
  Tone("lib/x/one.mp3", std::string(kMp3) + " -metadata artist=Band -metadata title=First");
  Tone("lib/y/two.wav");
  struct Case {
    bool keepTree;
    const char* pattern;
    const char* existing;
    const char* into;  // below the output folder
    Names outputs;     // below `into` after the run
  } cases[] = {
      {false, "", "number", "flat", {"one.mp3", "two.mp3"}},
      {true, "%artist% - %title%", "number", "named", {"x/Band - First.mp3", "y/two - two.mp3"}},
      {true, "%artist% - %title%", "skip", "named", {"x/Band - First.mp3", "y/two - two.mp3"}},
  };
  std::filesystem::file_time_type firstWritten;
  for (const Case& c : cases) {
    window.reset();
    StartWithJobs(1, folder + "/" + c.into);
    window->lvDragDrop({QString::fromStdString(lib)});
    ASSERT_EQ(ListColumn(0), (Names{"one.mp3", "two.wav"}));
    auto* dialog = window->findChild<Tfm_set*>();
    dialog->show();
    dialog->findChild<QCheckBox*>("cb_keep_tree")->setChecked(c.keepTree);
    dialog->findChild<QLineEdit*>("edt_name_pattern")->setText(c.pattern);
    dialog->findChild<QComboBox*>("cb_existing")->setCurrentText(c.existing);
    dialog->findChild<QPushButton*>("btn_ok")->click();
    Trigger("oOGG1");
    EXPECT_TRUE(prompts.errors.empty()) << prompts.errors.front();
    EXPECT_EQ(FilesBelow(folder + "/" + c.into), c.outputs) << c.existing;
    const std::string tagged = folder + "/named/x/Band - First.mp3";
    if (std::string(c.existing) == "number" && c.keepTree)
      firstWritten = std::filesystem::last_write_time(tagged);
    if (std::string(c.existing) == "skip") {
      EXPECT_EQ(std::filesystem::last_write_time(tagged), firstWritten) << "left alone";
      EXPECT_EQ(ListColumn(4), (Names{"skipped", "skipped"}));
    }
  }
  EXPECT_EQ(testsupport::ReadWithMutagen(folder + "/named/x/Band - First.mp3").values["TIT2"], "First");
}

// In the extended face a run over several files shows in the bar's text the files done, their
// total and the time left, with one job and with two; the text goes back to the percent alone
// when the run ends. The classic face's bar shows its percent alone throughout.
TEST_F(WindowFixture, TheExtendedBarCountsFilesAndTimeLeft) {
  const std::vector<std::string> sources = {Tone("p1.wav", "", 2.0), Tone("p2.wav", "", 2.0),
                                            Tone("p3.wav", "", 2.0)};
  struct Case {
    WindowFace face;
    int jobs;
    bool counts;
  } cases[] = {{WindowFace::kExtended, 1, true}, {WindowFace::kExtended, 2, true},
               {WindowFace::kClassic, 1, false}};
  for (const Case& c : cases) {
    window.reset();
    {
      TIniFile ini(SettingsFilePath());
      Write(ini, settings_keys::kJobs, c.jobs);
    }
    face = c.face;
    Start();
    window->AddStartFiles(sources);
    auto* pb = window->findChild<QProgressBar*>("pb");
    Names texts;
    QObject::connect(pb, &QProgressBar::valueChanged, [&] { texts.push_back(pb->text().toStdString()); });
    Trigger("oOGG1");
    ASSERT_EQ(ListColumn(4), Names(3, "finish"));
    const std::regex counts("^[0-9]+% \\S+ [0-9]+:[0-9]{2} left, [12]/3 done$");
    const std::regex percentAlone("^[0-9]+%$");
    EXPECT_EQ(std::any_of(texts.begin(), texts.end(),
                          [&](const std::string& text) { return std::regex_search(text, counts); }),
              c.counts) << c.jobs;
    EXPECT_EQ(std::all_of(texts.begin(), texts.end(),
                          [&](const std::string& text) { return std::regex_search(text, percentAlone); }),
              !c.counts) << c.jobs;
    EXPECT_EQ(pb->format().toStdString(), "%p%");
  }
}
