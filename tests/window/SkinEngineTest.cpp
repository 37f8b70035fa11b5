// The skin engine on the shipped skin file and on a second, plainly different one.
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engines/skin/TSkin.h"
#include "engines/skin/VectorPicture.h"
#include "support/TestSupport.h"

namespace {

const std::vector<std::string> kCommandNames = {"add", "set", "del", "tag", "convert", "stop", "nor"};

// A window like the main window as far as the skin cares: a list and a place named Skin1.
struct SkinnableWindow {
  SkinnableWindow() {
    window.setObjectName("fm_test");
    window.resize(300, 200);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QWidget(&window));
    strip = new QWidget(&window);
    strip->setObjectName("Skin1");
    strip->setMinimumHeight(44);
    layout->addWidget(strip);
  }
  QToolButton* Button(const std::string& name) const {
    return window.findChild<QToolButton*>(QString::fromStdString("skin_" + name));
  }
  std::vector<std::string> ButtonNames() const {
    std::vector<std::string> names;
    for (auto* button : strip->findChildren<QToolButton*>())
      names.push_back(button->objectName().toStdString());
    return names;
  }
  QRgb PixelAt(int x, int y) {
    window.show();
    return window.grab().toImage().pixel(x, y);
  }
  QWidget window;
  QWidget* strip;
};

void Skin(TSkin& skin, QWidget& window, const std::string& form) {
  skin.PrepareWindow(&window);
  skin.ApplyWindowSkin(&window, form);
}

std::string LoadError(const std::string& text, const std::string& fileName = "broken.dll") {
  testsupport::TempDir dir;
  testsupport::WriteFileText(dir.file(fileName), text);
  TSkin skin;
  try {
    skin.LoadSkinFile(dir.file(fileName));
  } catch (const SkinError& error) {
    EXPECT_FALSE(skin.loaded());
    return error.what();
  }
  return "";
}

const char* kMinimalSkin =
    "[form From]\nstrip = add\n[form windows]\n[object add]\ncaption = Add\npicture = line 0 0 24 24\n";

}  // namespace

TEST(SkinEngine, ShippedSkinOffersEveryCommandWithCaptionAndPicture) {
  TSkin skin;
  skin.LoadSkinFile(VELMORA_SHIPPED_SKIN);
  const SkinDefinition* definition = skin.definition();
  ASSERT_NE(definition, nullptr);
  const std::vector<std::string>& strip = definition->forms.at("From").strip;
  for (const std::string& name : kCommandNames) {
    SCOPED_TRACE(name);
    EXPECT_NE(std::find(strip.begin(), strip.end(), name), strip.end());
    const SkinObjectDefinition& object = definition->objects.at(name);
    EXPECT_FALSE(object.caption.empty());
    QImage picture = VectorPicture::Parse(object.picture).Render(24).toImage();
    int opaque = 0;
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 24; ++x) opaque += qAlpha(picture.pixel(x, y)) > 128;
    EXPECT_GT(opaque, 20) << "the picture draws almost nothing";
  }
  for (const char* kind : {"window", "list", "combo", "edit", "progress", "button", "label"})
    EXPECT_TRUE(definition->styles.count(kind)) << kind;
}

TEST(SkinEngine, StripButtonsClickWithTheirObjectsName) {
  TSkin skin;
  skin.LoadSkinFile(VELMORA_SHIPPED_SKIN);
  SkinnableWindow window;
  Skin(skin, window.window, "From");
  std::vector<std::string> clicked;
  QObject::connect(&skin, &SkinEvents::OnClick,
                   [&clicked](ISkinObject* object) { clicked.push_back(object->Name()); });
  for (const std::string& name : kCommandNames) {
    QToolButton* button = window.Button(name);
    ASSERT_NE(button, nullptr) << name;
    EXPECT_EQ(button->accessibleName().toStdString(),
              skin.definition()->objects.at(name).caption);
    button->click();
  }
  EXPECT_EQ(clicked, kCommandNames);
  // Skinning again, as every show does, replaces the strip instead of adding to it.
  Skin(skin, window.window, "From");
  EXPECT_EQ(window.ButtonNames().size(), kCommandNames.size());
}

TEST(SkinEngine, SecondSkinChangesColoursStripAndPictures) {
  TSkin shipped, daylight;
  shipped.LoadSkinFile(VELMORA_SHIPPED_SKIN);
  daylight.LoadSkinFile(VELMORA_TEST_SKINS "/daylight.skin");
  SkinnableWindow dark, light;
  Skin(shipped, dark.window, "From");
  Skin(daylight, light.window, "From");
  EXPECT_EQ(QColor(dark.PixelAt(2, 2)).name().toStdString(), "#1e2732");
  EXPECT_EQ(QColor(light.PixelAt(2, 2)).name().toStdString(), "#f4efe1");
  EXPECT_EQ(light.ButtonNames(), (std::vector<std::string>{"skin_convert", "skin_stop", "skin_add"}));
  EXPECT_EQ(light.Button("stop")->text().toStdString(), "Halt");
  EXPECT_FALSE(light.Button("stop")->icon().isNull()) << "the picture file beside the skin";
  // Dialogs take the "windows" form, which has no strip.
  QWidget dialog;
  Skin(daylight, dialog, "windows");
  EXPECT_TRUE(dialog.styleSheet().contains("#fbf6ea"));
}

TEST(SkinEngine, BrokenSkinFilesNameTheFileLineAndFault) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"[style window]\nbackground = blue\n", "line 2: background must be a colour"},
      {"[style window]\nshine = #ffffff\n", "line 2: style window has no key \"shine\""},
      {"[style gauge]\n", "line 1: unknown control kind \"gauge\""},
      {"background = #ffffff\n", "line 1: \"background\" is outside of any section"},
      {"[form From\n", "line 1: a section header ends with"},
      {"[form From]\nstrip\n", "line 2: expected \"key = value\""},
      {"[form From]\n[form From]\n", "line 2: form From twice"},
      {"[object add]\ncaption = A\ncaption = B\n", "line 3: \"caption\" is given twice"},
      {"[object add]\ncaption = A\npicture = spiral 1 2\n", "line 3: picture of object add: unknown drawing"},
      {"[object add]\ncaption = A\npicture = circle 1 2\n", "wrong number of values"},
      {"[object add]\ncaption = A\npicture-file = nowhere.pic\n", "cannot read the picture file"},
      {"[form windows]\n", "the form \"From\" is missing"},
      {"[form From]\nstrip = add\n[form windows]\n", "shows object \"add\", which has no [object]"},
      {"[form From]\n[form windows]\n[object add]\ncaption = Add\n", "object add needs a caption and a picture"},
      {"MZ\x90\x00\x03", "line 1"},
  };
  for (const Case& c : cases) {
    std::string message = LoadError(c.text);
    EXPECT_NE(message.find(c.expected), std::string::npos) << c.text << " gave: " << message;
    EXPECT_NE(message.find("broken.dll"), std::string::npos) << message;
  }
  EXPECT_EQ(LoadError(kMinimalSkin), "") << "the smallest valid skin loads";
}

TEST(SkinEngine, MissingFileFailsAndLeavesWindowsUnskinned) {
  TSkin skin;
  try {
    skin.LoadSkinFile("/nonexistent/mp3enc.dll");
    FAIL() << "a missing skin file must throw";
  } catch (const SkinError& error) {
    EXPECT_NE(std::string(error.what()).find("/nonexistent/mp3enc.dll"), std::string::npos);
  }
  SkinnableWindow window;
  EXPECT_NO_THROW(Skin(skin, window.window, "From"));
  EXPECT_TRUE(window.window.styleSheet().isEmpty());
  EXPECT_TRUE(window.ButtonNames().empty());
}

TEST(SkinEngine, MisuseIsReportedAsSkinError) {
  testsupport::TempDir dir;
  testsupport::WriteFileText(dir.file("mp3enc.dll"), kMinimalSkin);
  TSkin skin;
  skin.LoadSkinFile(dir.file("mp3enc.dll"));
  SkinnableWindow window;
  EXPECT_THROW(skin.ApplyWindowSkin(&window.window, "From"), SkinError) << "not prepared";
  skin.PrepareWindow(&window.window);
  EXPECT_THROW(skin.ApplyWindowSkin(&window.window, "from"), SkinError) << "form names keep their case";
  QWidget noStripPlace;
  skin.PrepareWindow(&noStripPlace);
  EXPECT_THROW(skin.ApplyWindowSkin(&noStripPlace, "From"), SkinError);
  EXPECT_THROW(skin.PrepareWindow(nullptr), SkinError);
}

// A colour from the skin holds in every state unless the skin says otherwise, so each skinned
// kind of control must look different once disabled.
TEST(SkinEngine, ShippedSkinDrawsDisabledControlsDifferently) {
  TSkin skin;
  skin.LoadSkinFile(VELMORA_SHIPPED_SKIN);
  auto pairOf = [](auto make) { return std::make_pair(make(), make()); };
  QWidget window;
  window.setObjectName("fm_test");
  auto* layout = new QVBoxLayout(&window);
  std::vector<std::pair<const char*, std::pair<QWidget*, QWidget*>>> controls = {
      {"combo box", pairOf([] { auto* box = new QComboBox; box->addItem("44100 Hz"); return box; })},
      {"edit box", pairOf([] { return new QLineEdit("300"); })},
      {"number box", pairOf([] { auto* box = new QSpinBox; box->setValue(4); return box; })},
      {"label", pairOf([] { return new QLabel("Frequency:"); })},
      {"check box", pairOf([] { return new QCheckBox("Enable VBR"); })},
      {"button", pairOf([] { return new QPushButton("OK"); })},
      {"list", pairOf([] {
         auto* list = new QTableWidget(1, 1);
         list->setItem(0, 0, new QTableWidgetItem("Morning Walk.mp3"));
         return list;
       })},
  };
  for (auto& [kind, pair] : controls) {
    layout->addWidget(pair.first);
    layout->addWidget(pair.second);
    pair.second->setEnabled(false);
  }
  Skin(skin, window, "windows");
  window.show();
  for (auto& [kind, pair] : controls)
    EXPECT_NE(pair.first->grab().toImage(), pair.second->grab().toImage()) << kind;
}

TEST(SkinEngine, TabsTakeTheButtonColoursWithTheOpenTabPressed) {
  TSkin skin;
  skin.LoadSkinFile(VELMORA_SHIPPED_SKIN);
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* tabs = new QTabWidget;
  tabs->addTab(new QWidget, "WAV");
  tabs->addTab(new QWidget, "MP3");
  layout->addWidget(tabs);
  Skin(skin, window, "windows");
  window.resize(300, 200);
  window.show();
  const QImage drawn = tabs->tabBar()->grab().toImage();
  auto colourInside = [&](int tab) {
    const QRect rect = tabs->tabBar()->tabRect(tab);
    return QColor(drawn.pixel(rect.left() + 3, rect.top() + 3)).name().toStdString();
  };
  EXPECT_EQ(colourInside(0), "#2f7d6d");
  EXPECT_EQ(colourInside(1), "#26323f");
}

// A light scroll bar would cut across a dark skin's lists.
TEST(SkinEngine, ScrollBarsTakeTheListColours) {
  TSkin skin;
  skin.LoadSkinFile(VELMORA_SHIPPED_SKIN);
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* list = new QTableWidget(200, 1);
  list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  layout->addWidget(list);
  Skin(skin, window, "windows");
  window.resize(300, 300);
  window.show();
  QScrollBar* bar = list->verticalScrollBar();
  const QImage drawn = window.grab().toImage();
  auto colourAt = [&](int y) {
    return QColor(drawn.pixel(bar->mapTo(&window, QPoint(bar->width() / 2, y)))).name().toStdString();
  };
  EXPECT_EQ(colourAt(bar->height() - 10), "#141b23") << "groove";
  EXPECT_EQ(colourAt(10), "#3d4d5e") << "handle, at the top of the list";
}

// A box opened over a skinned window is readable: the skin's label colour on the skin's
// background, not on the desktop's light one.
TEST(SkinEngine, MessageBoxesOverASkinnedWindowTakeItsBackground) {
  TSkin skin;
  skin.LoadSkinFile(VELMORA_SHIPPED_SKIN);
  SkinnableWindow main;
  Skin(skin, main.window, "From");
  QMessageBox box(QMessageBox::Information, "Information", "x.mp3is not supported.", QMessageBox::Ok,
                  &main.window);
  box.show();
  EXPECT_EQ(QColor(box.grab().toImage().pixel(2, 2)).name().toStdString(), "#1e2732");
}
