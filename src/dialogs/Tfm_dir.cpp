#include "dialogs/Tfm_dir.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "dialogs/DialogWindow.h"
#include "dialogs/UiPrompts.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"

namespace {

constexpr int kOuterWidth = 313;
constexpr int kOuterHeight = 300;
constexpr int kMinimumWidth = 150;

QPushButton* Button(const char* caption, const char* name, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAccessibleName(caption);
  button->setFixedSize(75, 25);
  return button;
}

}  // namespace

Tfm_dir::Tfm_dir(ISkinEngine& skin, QWidget* parent) : QDialog(parent), skin_(skin) {
  setObjectName("fm_dir");
  setWindowTitle("Output Directory");
  UseCloseBoxOnly(this);
  setMinimumWidth(kMinimumWidth);

  folders_ = new QFileSystemModel(this);
  folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  // A folder renamed on disk while the dialog is hidden is not followed.
  folders_->setOption(QFileSystemModel::DontWatchForChanges);
  folders_->setRootPath(QDir::rootPath());

  ShellTreeView1 = new QTreeView(this);
  ShellTreeView1->setObjectName("ShellTreeView1");
  ShellTreeView1->setAccessibleName("Folders");
  ShellTreeView1->setModel(folders_);
  for (int column = 1; column < folders_->columnCount(); ++column) ShellTreeView1->hideColumn(column);
  ShellTreeView1->setHeaderHidden(true);
  ShellTreeView1->setIndentation(19);
  ShellTreeView1->setRootIsDecorated(false);
  ShellTreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
  ShellTreeView1->setContextMenuPolicy(Qt::PreventContextMenu);
  ShellTreeView1->setSortingEnabled(true);
  ShellTreeView1->sortByColumn(0, Qt::AscendingOrder);

  btn_ok = Button("Ok", "btn_ok", this);
  btn_cancel = Button("Cancel", "btn_cancel", this);
  btn_ok->setDefault(true);
  connect(btn_ok, &QPushButton::clicked, this, &Tfm_dir::btn_okClick);
  connect(btn_cancel, &QPushButton::clicked, this, &Tfm_dir::btn_cancelClick);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(14, 12, 14, 12);
  column->addWidget(ShellTreeView1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btn_ok);
  buttons->addStretch();
  buttons->addWidget(btn_cancel);
  column->addLayout(buttons);
  resize(kOuterWidth, kOuterHeight);
}

void Tfm_dir::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;  // restored by the system, not opened
  if (!shownBefore_) RevealHomeFolder();
  shownBefore_ = true;
  SkinDialog(skin_, this);
  SetOuterSize(this, kOuterWidth, kOuterHeight);
  CentreOverOwner(this);
}

void Tfm_dir::RevealHomeFolder() {
  const QModelIndex home = folders_->index(QDir::homePath());
  if (!home.isValid()) return;
  for (QModelIndex at = home; at.isValid(); at = at.parent()) ShellTreeView1->expand(at);
  // The tree gets its size and lays out its rows only after this, and the folders are read in
  // the background and sorted once read, which moves the rows: the scroll waits for each of
  // those to settle, until the user scrolls, picks a folder or closes.
  auto* following = new QTimer(this);
  following->setSingleShot(true);
  following->setInterval(50);
  connect(following, &QTimer::timeout, this, [this] {
    ShellTreeView1->scrollTo(folders_->index(QDir::homePath()), QAbstractItemView::PositionAtTop);
  });
  connect(folders_, &QFileSystemModel::layoutChanged, following, qOverload<>(&QTimer::start));
  connect(folders_, &QFileSystemModel::rowsInserted, following, qOverload<>(&QTimer::start));
  connect(ShellTreeView1->selectionModel(), &QItemSelectionModel::selectionChanged, following,
          &QObject::deleteLater);
  connect(ShellTreeView1->verticalScrollBar(), &QScrollBar::actionTriggered, following,
          &QObject::deleteLater);
  connect(this, &QDialog::finished, following, &QObject::deleteLater);
  following->start();
}

std::string Tfm_dir::SelectedFolder() const {
  const QModelIndexList selected = ShellTreeView1->selectionModel()->selectedIndexes();
  if (selected.isEmpty()) return std::string();
  return QDir::toNativeSeparators(folders_->filePath(selected.first())).toStdString();
}

void Tfm_dir::btn_okClick() {
  chosen_dir_ = SelectedFolder();
  if (!chosen_dir_.empty() && settings_file_) {
    try {
      Write(*settings_file_, settings_keys::kDir, chosen_dir_);
    } catch (const SettingsError& error) {
      UiPrompts::Current().Error(this, QString::fromStdString(error.what()));
      return;
    }
  }
  accept();
}

void Tfm_dir::btn_cancelClick() {
  chosen_dir_.clear();
  reject();
}
