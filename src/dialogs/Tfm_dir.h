// The output folder dialog: a tree of folders; "Ok" hands the chosen folder back through
// `chosen_dir` and stores it as "Dir" at once.
#pragma once

#include <QDialog>
#include <string>

class ISkinEngine;
class TIniFile;

// The folder confirmed at the last "Ok"; emptied by "Cancel". The opener reads it after the
// modal call returns.
extern std::string chosen_dir;

class Tfm_dir : public QDialog {
  Q_OBJECT
 public:
  explicit Tfm_dir(ISkinEngine& skin, QWidget* parent = nullptr);
  void SetSettingsFile(TIniFile* settings) { settings_file_ = settings; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  ISkinEngine& skin_;
  TIniFile* settings_file_ = nullptr;
};
