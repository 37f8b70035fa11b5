#include "WindowFixture.h"

#include <QAction>
#include <QToolButton>
#include <filesystem>

#include "app/window/FileListWidget.h"
#include "app/window/ProgramFolders.h"
#include "dialogs/Tfm_about.h"
#include "dialogs/Tfm_dir.h"
#include "settings/IniFile.h"
#include "settings/dialog/Tfm_set.h"
#include "tags/editor/Tfm_id3.h"

Tfm_main& WindowFixture::Start(SkinChoice choice) {
  const std::string skinFile = data.file(kSkinFileName);
  std::filesystem::remove(skinFile);
  if (choice == SkinChoice::kShipped) std::filesystem::copy_file(VELMORA_SHIPPED_SKIN, skinFile);
  if (choice == SkinChoice::kDaylight) {
    std::filesystem::copy_file(VELMORA_TEST_SKINS "/daylight.skin", skinFile);
    std::filesystem::copy_file(VELMORA_TEST_SKINS "/halt.pic", data.file("halt.pic"),
                               std::filesystem::copy_options::overwrite_existing);
  }
  if (choice == SkinChoice::kBroken)
    testsupport::WriteFileText(skinFile, "[form From]\nstrip = add\ncolour = pink\n");
  window = std::make_unique<Tfm_main>(*skin, *skin, data.path() + "/", face, [this](Tfm_main& main) {
    return WindowDialogs{*new Tfm_about(*skin, &main), *new Tfm_dir(*skin, &main),
                         *new Tfm_set(*skin, &main, face), *new Tfm_id3(*skin, &main)};
  });
  Tfm_main* main = window.get();
  main->SetUrlOpener([this](const QUrl& url) { opened.push_back(url); });
  if (coreFactory) main->SetCoreFactory(coreFactory);
  main->show();
  QApplication::setActiveWindow(main);
  QApplication::processEvents();
  return *main;
}

void WindowFixture::AddThroughDialog(const std::vector<std::string>& paths) {
  prompts.nextFiles.clear();
  for (const std::string& path : paths) prompts.nextFiles << QString::fromStdString(path);
  window->AddFile1Click();
}

std::vector<std::string> WindowFixture::ListColumn(int column) const {
  auto* lv = window->findChild<FileListWidget*>("lv");
  std::vector<std::string> texts;
  for (int row = 0; row < lv->rowCount(); ++row) texts.push_back(lv->Text(row, column).toStdString());
  return texts;
}

std::string WindowFixture::SettingsText() const {
  std::vector<uint8_t> bytes = testsupport::ReadFileBytes(SettingsFilePath());
  return std::string(bytes.begin(), bytes.end());
}

void WindowFixture::Trigger(const char* actionName) {
  QAction* action = window->findChild<QAction*>(actionName);
  ASSERT_NE(action, nullptr) << actionName;
  action->trigger();
}

void WindowFixture::ClickSkin(const std::string& name) {
  auto* button = window->findChild<QToolButton*>(QString::fromStdString("skin_" + name));
  ASSERT_NE(button, nullptr) << name;
  button->click();
}
