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

void Tfm_main::BuildMenus() {
  auto add = [this](QMenu* menu, const char* name, const char* text, void (Tfm_main::*handler)(),
                    const QKeySequence& keys = QKeySequence()) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, handler);
    addAction(action);  // shortcuts of pop-up entries work while the pop-up is closed
    return action;
  };

  QMenu* file = menuBar()->addMenu("File");
  file->setObjectName("File1");
  add(file, "oOGG1", "Converter", &Tfm_main::oOGG1Click, QKeySequence(Qt::Key_F5));
  add(file, "Normalize1", "Normalize", &Tfm_main::Normalize1Click, QKeySequence(Qt::Key_F6));
  file->addSeparator();
  add(file, "Stop1", "Stop", &Tfm_main::Stop1Click, QKeySequence(Qt::Key_Escape));
  add(file, "EXit1", "EXit", &Tfm_main::EXit1Click, QKeySequence(Qt::CTRL | Qt::Key_Q));

  QAction* settings = menuBar()->addAction("Settings");
  settings->setObjectName("Settings1");
  settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
  addAction(settings);
  connect(settings, &QAction::triggered, this, &Tfm_main::Settings1Click);

  QMenu* help = menuBar()->addMenu("Help ");
  help->setObjectName("Help1");
  add(help, "About1", "Content", &Tfm_main::About1Click, QKeySequence(Qt::Key_F1));
  add(help, "Visitourweb1", "Visit our web", &Tfm_main::Visitourweb1Click);
  help->addSeparator();
  add(help, "About2", "About", &Tfm_main::About2Click);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  add(PopupMenu1, "AddFile1", "Add File", &Tfm_main::AddFile1Click, QKeySequence(Qt::Key_Insert));
  add(PopupMenu1, "DelFile1", "Del File", &Tfm_main::DelFile1Click, QKeySequence(Qt::Key_Delete));
  add(PopupMenu1, "Clear1", "Clear", &Tfm_main::Clear1Click, QKeySequence(Qt::SHIFT | Qt::Key_Delete));
  PopupMenu1->addSeparator();
  add(PopupMenu1, "Converter1", "Converter", &Tfm_main::Converter1Click);
  add(PopupMenu1, "Stop2", "Stop", &Tfm_main::Stop2Click);
  connect(lv, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu1->popup(lv->viewport()->mapToGlobal(at)); });

  // The menu bar has no mnemonics, so F10 opens it from the keyboard.
  auto* openMenuBar = new QShortcut(QKeySequence(Qt::Key_F10), this);
  connect(openMenuBar, &QShortcut::activated, new MenuBarKeys(menuBar(), file), &MenuBarKeys::Enter);
}

void Tfm_main::FixWindowSize() {
  setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
}
