// The output folder dialog: a tree of folders; "Ok" hands the chosen folder back through
// chosen_dir() and stores it as "Dir" at once.
#pragma once

#include <QDialog>
#include <string>

class ISkinEngine;
class QFileSystemModel;
class QPushButton;
class QTreeView;
class TIniFile;

class Tfm_dir : public QDialog {
  Q_OBJECT
 public:
  explicit Tfm_dir(ISkinEngine& skin, QWidget* parent = nullptr);
  void SetSettingsFile(TIniFile* settings) { settings_file_ = settings; }
  // The folder confirmed at the last "Ok"; emptied by "Cancel", kept by the title bar's close.
  // The opener reads it after the modal call returns.
  const std::string& chosen_dir() const { return chosen_dir_; }

  void btn_okClick();
  void btn_cancelClick();
  // The folder selected in the tree; empty with none.
  std::string SelectedFolder() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void RevealHomeFolder();

  ISkinEngine& skin_;
  TIniFile* settings_file_ = nullptr;
  QFileSystemModel* folders_ = nullptr;
  QTreeView* ShellTreeView1 = nullptr;
  QPushButton* btn_ok = nullptr;
  QPushButton* btn_cancel = nullptr;
  bool shownBefore_ = false;
  std::string chosen_dir_;
};
