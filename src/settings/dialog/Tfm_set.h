// The settings dialog: per-format encoder settings, validated by the engine and stored in
// kelvane.ini. Opened modally by the main window; every showing reloads the stored values.
#pragma once

#include <QDialog>
#include <memory>

#include "settings/dialog/SettingsPages.h"
#include "settings/WindowFace.h"

class ExtendedFormatPages;
class GeneralPage;
class QComboBox;
class ISkinEngine;
struct IntegerKey;
class TAudioFile2;
class TIniFile;

class Tfm_set : public QDialog {
  Q_OBJECT
 public:
  // The extended face adds the tabs "FLAC", "OPUS", "M4A" and "General" after the four.
  explicit Tfm_set(ISkinEngine& skin, QWidget* parent = nullptr,
                   WindowFace face = WindowFace::kClassic);
  ~Tfm_set() override;
  WindowFace face() const { return face_; }
  // The main window's settings object, once it is open (nullptr before and after: the
  // dialog then shows its defaults and OK stores nothing).
  void SetSettingsFile(TIniFile* settings) { settings_file_ = settings; }

  void btn_okClick();
  void btn_defaultClick();
  void btn_cancelClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormShow();
  void LoadWav();
  void LoadMp3();
  void LoadOgg();
  bool FormatsSupported();
  void StoreAll();

  void WavModeClick();
  void cb_vbrClick();
  void cb_ogg_qualityClick();
  void edt_ogg_qualityChange();
  void edt_ogg_qualityExit();

  // The dialog's reads of a key; its default while no settings file is open.
  int ReadInteger(const IntegerKey& key) const;
  void SelectStored(QComboBox* list, const IntegerKey& key) const;
  bool ReadBool(const IntegerKey& key) const;
  const TAudioFile2& Checker();

  ISkinEngine& skin_;
  WindowFace face_;
  TIniFile* settings_file_ = nullptr;
  std::unique_ptr<TAudioFile2> checker_;  // asked by OK whether the chosen formats encode
  SettingsControls c_;
  // The extended face only.
  std::unique_ptr<ExtendedFormatPages> formats_;
  std::unique_ptr<GeneralPage> general_;
};
