// The main window's controls and menus: positions and sizes of the classic layout, accessible
// names, and keyboard shortcuts so that every command is reachable without a mouse.
#include <QAction>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <utility>

#include "app/window/FileListWidget.h"
#include "app/window/MenuBarKeys.h"
#include "app/window/Tfm_main.h"
#include "dialogs/ComboBoxName.h"

namespace {

constexpr int kClientWidth = 485;
constexpr int kClientHeight = 324;
// The tool strip sits in the free band below the progress bar.
constexpr int kStripTop = 280;

// The classic layout was drawn for a small bitmap font; the desktop's fonts are wider.
constexpr int kClientPointSize = 8;

// A caption keeps its place and size; its font shrinks until the whole text fits.
QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, QRect geometry) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setGeometry(geometry);
  QFont font = label->font();
  while (font.pointSize() > 5 && QFontMetrics(font).horizontalAdvance(text) > geometry.width()) {
    font.setPointSize(font.pointSize() - 1);
    label->setFont(font);
  }
  return label;
}

}  // namespace

void Tfm_main::BuildControls() {
  auto* client = new QWidget(this);
  client->setObjectName("centralWidget");
  QFont font = client->font();
  font.setPointSize(kClientPointSize);
  client->setFont(font);
  setCentralWidget(client);

  SkinLabel1 = MakeLabel(client, "SkinLabel1", "Output Path:", QRect(8, 16, 62, 14));
  edt_output = new QLineEdit("C:\\My Music", client);
  edt_output->setObjectName("edt_output");
  edt_output->setGeometry(72, 13, 216, 19);
  edt_output->setReadOnly(true);
  edt_output->setAccessibleName("Output Path:");
  SkinLabel1->setBuddy(edt_output);

  Button1 = new QPushButton("...", client);
  Button1->setObjectName("Button1");
  Button1->setGeometry(290, 12, 25, 20);
  Button1->setAccessibleName("...");
  Button1->setAccessibleDescription("Choose the output folder");
  Button1->setToolTip("Choose the output folder");
  connect(Button1, &QPushButton::clicked, this, &Tfm_main::Button1Click);

  SkinLabel2 = MakeLabel(client, "SkinLabel2", "Output Format:", QRect(326, 16, 71, 13));
  cb_format = NewLabelledComboBox(client, SkinLabel2->text());
  cb_format->setObjectName("cb_format");
  cb_format->setGeometry(399, 11, 76, 21);
  cb_format->addItems({"MP3", "WAV", "WMA", "OGG"});
  // Indexes 4..6 are the output format indexes of FLAC, Opus and M4A.
  if (face_ == WindowFace::kExtended) cb_format->addItems({"FLAC", "OPUS", "M4A"});
  SkinLabel2->setBuddy(cb_format);

  lv = new FileListWidget(client);
  lv->setGeometry(-1, 36, 487, 230);
  connect(lv, &FileListWidget::filesDropped, this, &Tfm_main::lvDragDrop, Qt::QueuedConnection);

  pb = new QProgressBar(client);
  pb->setObjectName("pb");
  pb->setGeometry(-1, 265, 487, 12);
  pb->setRange(0, 100);
  pb->setValue(0);
  pb->setTextVisible(true);
  pb->setAlignment(Qt::AlignCenter);
  pb->setAccessibleName("Progress");

  Skin1 = new QWidget(client);
  Skin1->setObjectName("Skin1");
  Skin1->setAttribute(Qt::WA_StyledBackground);
  Skin1->setGeometry(0, kStripTop, kClientWidth, kClientHeight - kStripTop);
  Skin1->setAccessibleName("Commands");

  setTabOrder(Button1, cb_format);
  setTabOrder(cb_format, lv);
}

namespace {

struct Command {
  const char* name;  // the action's object name
  const char* caption;
  void (Tfm_main::*handler)();
  QKeySequence keys;
};

// Every command of the window, each one action. The strip-only two have no menu entry.
const Command kCommands[] = {
    {"oOGG1", "Converter", &Tfm_main::oOGG1Click, QKeySequence(Qt::Key_F5)},
    {"Normalize1", "Normalize", &Tfm_main::Normalize1Click, QKeySequence(Qt::Key_F6)},
    {"Stop1", "Stop", &Tfm_main::Stop1Click, QKeySequence(Qt::Key_Escape)},
    {"EXit1", "EXit", &Tfm_main::EXit1Click, QKeySequence(Qt::CTRL | Qt::Key_Q)},
    {"Settings1", "Settings", &Tfm_main::Settings1Click, QKeySequence(Qt::CTRL | Qt::Key_Comma)},
    {"About1", "Content", &Tfm_main::About1Click, QKeySequence(Qt::Key_F1)},
    {"Visitourweb1", "Visit our web", &Tfm_main::Visitourweb1Click, QKeySequence()},
    {"About2", "About", &Tfm_main::About2Click, QKeySequence()},
    {"AddFile1", "Add File", &Tfm_main::AddFile1Click, QKeySequence(Qt::Key_Insert)},
    {"DelFile1", "Del File", &Tfm_main::DelFile1Click, QKeySequence(Qt::Key_Delete)},
    {"Clear1", "Clear", &Tfm_main::Clear1Click, QKeySequence(Qt::SHIFT | Qt::Key_Delete)},
    {"Converter1", "Converter", &Tfm_main::Converter1Click, QKeySequence()},
    {"Stop2", "Stop", &Tfm_main::Stop2Click, QKeySequence()},
    {"SkinSettings1", "Settings", &Tfm_main::SkinSettings1Click, QKeySequence()},
    {"TagEditor1", "Tags", &Tfm_main::TagEditor1Click, QKeySequence()},
};

// Commands of the extended face only; the classic window has none of them, keys included.
const Command kExtendedCommands[] = {
    {"AddFolder1", "Add Folder", &Tfm_main::AddFolder1Click,
     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A)},
};

// The skin's clickable objects by name, and the actions they trigger.
const std::pair<const char*, const char*> kSkinCommands[] = {
    {"add", "AddFile1"}, {"set", "SkinSettings1"}, {"del", "Clear1"}, {"tag", "TagEditor1"},
    {"convert", "oOGG1"}, {"stop", "Stop1"},       {"nor", "Normalize1"},
};

}  // namespace

void Tfm_main::BuildActions() {
  auto add = [this](const Command& command) {
    auto* action = new QAction(command.caption, this);
    action->setObjectName(command.name);
    action->setShortcut(command.keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, command.handler);
    addAction(action);  // keys work while the menu holding the action is closed
    actions_[command.name] = action;
  };
  for (const Command& command : kCommands) add(command);
  if (face_ == WindowFace::kExtended)
    for (const Command& command : kExtendedCommands) add(command);
  for (const auto& [skinName, actionName] : kSkinCommands) skinCommands_[skinName] = Action(actionName);
}

void Tfm_main::BuildMenus() {
  QMenu* file = menuBar()->addMenu("File");
  file->setObjectName("File1");
  file->addActions({Action("oOGG1"), Action("Normalize1")});
  file->addSeparator();
  file->addActions({Action("Stop1"), Action("EXit1")});

  menuBar()->addAction(Action("Settings1"));

  QMenu* help = menuBar()->addMenu("Help ");
  help->setObjectName("Help1");
  help->addActions({Action("About1"), Action("Visitourweb1")});
  help->addSeparator();
  help->addAction(Action("About2"));

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  PopupMenu1->addAction(Action("AddFile1"));
  if (face_ == WindowFace::kExtended) PopupMenu1->addAction(Action("AddFolder1"));
  PopupMenu1->addActions({Action("DelFile1"), Action("Clear1")});
  PopupMenu1->addSeparator();
  PopupMenu1->addActions({Action("Converter1"), Action("Stop2")});
  connect(lv, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu1->popup(lv->viewport()->mapToGlobal(at)); });

  // The menu bar has no mnemonics, so F10 opens it from the keyboard.
  auto* openMenuBar = new QShortcut(QKeySequence(Qt::Key_F10), this);
  connect(openMenuBar, &QShortcut::activated, new MenuBarKeys(menuBar(), file), &MenuBarKeys::Enter);
}

void Tfm_main::FixWindowSize() {
  setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
}
