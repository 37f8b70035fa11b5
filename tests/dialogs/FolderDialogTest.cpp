// The output folder dialog over a scratch home folder and a scratch kelvane.ini.
#include <QDir>
#include <QFileSystemModel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <sys/stat.h>

#include "DialogTestSupport.h"
#include "dialogs/Tfm_dir.h"

namespace {

class FolderDialogTest : public ::testing::Test {
 protected:
  FolderDialogTest() : previousHome_(getenv("HOME") ? getenv("HOME") : "") {
    mkdir(home.file("Music").c_str(), 0700);
    mkdir(home.file("Music/Albums").c_str(), 0700);
    testsupport::WriteFileText(home.file("notes.txt"), "not a folder");
    setenv("HOME", home.path().c_str(), 1);
    dialog = std::make_unique<Tfm_dir>(skin);
    dialog->SetSettingsFile(settings.ini.get());
  }
  ~FolderDialogTest() override { setenv("HOME", previousHome_.c_str(), 1); }

  QTreeView* Tree() { return Child<QTreeView>(dialog.get(), "ShellTreeView1"); }
  QFileSystemModel* Model() { return static_cast<QFileSystemModel*>(Tree()->model()); }
  void Select(const std::string& path) { Tree()->setCurrentIndex(Model()->index(QString::fromStdString(path))); }
  // The names the tree shows below a folder, once the model has read it.
  QStringList ShownChildren(const QModelIndex& folder) {
    for (int wait = 0; wait < 500 && Model()->rowCount(folder) == 0; ++wait) QTest::qWait(10);
    QStringList names;
    for (int row = 0; row < Model()->rowCount(folder); ++row) names << Model()->index(row, 0, folder).data().toString();
    return names;
  }
  void Press(const char* button) { Child<QPushButton>(dialog.get(), button)->click(); }

  testsupport::TempDir home;
  ScratchSettingsFile settings;
  FakeSkin skin;
  RecordingPrompts prompts;
  std::unique_ptr<Tfm_dir> dialog;

 private:
  std::string previousHome_;
};

TEST_F(FolderDialogTest, FirstOpeningShowsTheHomeFolderExpandedAndOnlyFolders) {
  dialog->show();
  EXPECT_EQ(dialog->windowTitle(), "Output Directory");
  EXPECT_EQ(dialog->frameGeometry().size(), QSize(313, 300));
  EXPECT_EQ(dialog->minimumWidth(), 150);
  const QModelIndex homeIndex = Model()->index(QString::fromStdString(home.path()));
  ASSERT_TRUE(homeIndex.isValid());
  EXPECT_TRUE(Tree()->isExpanded(homeIndex));
  EXPECT_TRUE(Tree()->isExpanded(homeIndex.parent()));
  EXPECT_EQ(ShownChildren(homeIndex), QStringList{"Music"});
  // Still so once the folders on the way have been read and sorted in the background.
  QTest::qWait(1500);
  const QModelIndex settled = Model()->index(QString::fromStdString(home.path()));
  for (QModelIndex at = settled; at.isValid(); at = at.parent())
    EXPECT_TRUE(Tree()->isExpanded(at)) << Model()->filePath(at).toStdString();
  EXPECT_TRUE(Tree()->viewport()->rect().intersects(Tree()->visualRect(settled))) << "home in view";
  ASSERT_EQ(skin.calls.size(), 2u);
  EXPECT_EQ(skin.calls[1].formName, "windows");
}

TEST_F(FolderDialogTest, OkWithNothingSelectedChangesNothing) {
  settings.ini->WriteString("Format", "Dir", "/kept/folder");
  dialog->show();
  Tree()->clearSelection();
  Press("btn_ok");
  EXPECT_EQ(dialog->chosen_dir(), "");
  EXPECT_EQ(settings.ini->ReadString("Format", "Dir", ""), "/kept/folder");
}

TEST_F(FolderDialogTest, OkStoresTheFolderAtOnceAndCancelLaterKeepsIt) {
  dialog->show();
  Select(home.file("Music/Albums"));
  Press("btn_ok");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->chosen_dir(), home.file("Music/Albums"));
  TIniFile reader(settings.Path());
  EXPECT_EQ(reader.ReadString("Format", "Dir", ""), home.file("Music/Albums"));

  dialog->show();
  Select(home.file("Music"));
  Press("btn_cancel");
  EXPECT_EQ(dialog->chosen_dir(), "");
  EXPECT_EQ(reader.ReadString("Format", "Dir", ""), home.file("Music/Albums"));
}

TEST_F(FolderDialogTest, TitleBarCloseLeavesTheResultAsItWas) {
  dialog->show();
  dialog->close();
  EXPECT_EQ(dialog->chosen_dir(), "");
  EXPECT_FALSE(testsupport::FileExists(settings.Path()));

  dialog->show();
  Select(home.file("Music/Albums"));
  Press("btn_ok");
  dialog->show();
  Select(home.file("Music"));
  dialog->close();
  EXPECT_EQ(dialog->chosen_dir(), home.file("Music/Albums"));
  EXPECT_EQ(TIniFile(settings.Path()).ReadString("Format", "Dir", ""), home.file("Music/Albums"));
}

TEST_F(FolderDialogTest, TreeKeepsItsExpansionAndSelectionBetweenOpenings) {
  dialog->show();
  const QModelIndex music = Model()->index(QString::fromStdString(home.file("Music")));
  Tree()->expand(music);
  Select(home.file("Music/Albums"));
  Press("btn_cancel");
  dialog->show();
  EXPECT_TRUE(Tree()->isExpanded(music));
  EXPECT_EQ(dialog->SelectedFolder(), home.file("Music/Albums"));
}

TEST_F(FolderDialogTest, FailedStoreIsReportedAndTheDialogStaysOpen) {
  ASSERT_EQ(mkdir(settings.Path().c_str(), 0700), 0);
  dialog->show();
  Select(home.file("Music"));
  Press("btn_ok");
  EXPECT_EQ(prompts.errors, std::vector<std::string>{"Unable to write to kelvane.ini"});
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(FolderDialogTest, KeyboardAlonePicksAFolderAndConfirms) {
  dialog->show();
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  Select(home.path());
  Tree()->setFocus();
  ASSERT_EQ(ShownChildren(Model()->index(QString::fromStdString(home.path()))), QStringList{"Music"});
  QTest::keyClick(Tree(), Qt::Key_Down);  // into the expanded home folder: "Music"
  QTest::keyClick(Tree(), Qt::Key_Return);  // "Ok" is the default button
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->chosen_dir(), home.file("Music"));
}

TEST_F(FolderDialogTest, EveryControlHasAnAccessibleName) {
  dialog->show();
  EXPECT_EQ(ControlsWithoutAccessibleName(dialog.get()), std::vector<std::string>{});
}

}  // namespace
