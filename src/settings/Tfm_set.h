// The settings dialog: per-format encoder settings, validated by the engine and stored in
// kelvane.ini. Opened modally by the main window.
#pragma once

#include <QDialog>

class ISkinEngine;
class TIniFile;

class Tfm_set : public QDialog {
  Q_OBJECT
 public:
  explicit Tfm_set(ISkinEngine& skin, QWidget* parent = nullptr);
  // The main window's settings object, once it is open (nullptr before and after).
  void SetSettingsFile(TIniFile* settings) { settings_file_ = settings; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  ISkinEngine& skin_;
  TIniFile* settings_file_ = nullptr;
};
