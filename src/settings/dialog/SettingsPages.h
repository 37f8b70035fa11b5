// The settings dialog's controls, built tab by tab. Every control carries the object name the
// dialog's logic and its tests look it up by, and the text of its label as accessible name.
#pragma once

class DigitEdit;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;
class UpDown;

struct SettingsControls {
  QTabWidget* pc = nullptr;
  QPushButton* btn_ok = nullptr;
  QPushButton* btn_default = nullptr;
  QPushButton* btn_cancel = nullptr;

  QRadioButton* rb_cdquality = nullptr;
  QRadioButton* rb_bestsuited = nullptr;
  QRadioButton* rb_custom = nullptr;
  QComboBox* cb_wav_frequency = nullptr;
  QComboBox* cb_wav_channel = nullptr;
  QComboBox* cb_wav_bit = nullptr;

  QComboBox* cb_mp3_frequency = nullptr;
  QComboBox* cb_mp3_bitrate = nullptr;
  QComboBox* cb_mp3_channel = nullptr;
  QLineEdit* edt_mp3_quality = nullptr;
  UpDown* ud_mp3_quality = nullptr;
  QCheckBox* cb_vbr = nullptr;
  QComboBox* cb_mp3_vbr = nullptr;
  QLineEdit* edt_mp3_vbr = nullptr;
  UpDown* ud_mp3_vbr = nullptr;

  QComboBox* cb_wma = nullptr;

  QComboBox* cb_ogg_fre = nullptr;
  QComboBox* cb_ogg_bitrate = nullptr;
  QComboBox* cb_ogg_channel = nullptr;
  QCheckBox* cb_ogg_quality = nullptr;
  DigitEdit* edt_ogg_quality = nullptr;
  UpDown* ud_ogg_quality = nullptr;
  QComboBox* cb_ogg_minbit = nullptr;
  QComboBox* cb_ogg_maxbit = nullptr;
};

// Fills `dialog` with the group "Output Settings": the four tabs and the three buttons.
SettingsControls BuildSettingsPages(QWidget* dialog);
