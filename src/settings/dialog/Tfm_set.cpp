#include "settings/dialog/Tfm_set.h"

#include <QCheckBox>
#include <QShowEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <optional>

#include "dialogs/DialogWindow.h"
#include "dialogs/UiPrompts.h"
#include "engines/AudioFile2.h"
#include "settings/dialog/DigitEdit.h"
#include "settings/dialog/ExtendedFormatPages.h"
#include "settings/dialog/GeneralPage.h"
#include "settings/IniFile.h"
#include "settings/LookupTables.h"
#include "settings/SettingsKeys.h"
#include "settings/dialog/UpDown.h"

namespace keys = settings_keys;

namespace {

constexpr int kOuterWidth = 418;
constexpr int kOuterHeight = 398;
constexpr int kOggQualityCap = 1000;

const char* const kOggRefused =
    "This OGG format is not supported. \rYou have set too high frequency and too low bitrate or "
    "otherwise. \rPlease adjust the frequency or bitrate.";
const char* const kMp3Refused =
    "This MP3 format is not supported. \rYou have set too high frequency and too low bitrate or "
    "otherwise. \rPlease adjust the frequency or bitrate.";

int SampleRateAt(const QComboBox* list) { return kSampleRates[list->currentIndex()]; }
int BitRateAt(const QComboBox* list) { return kBitRates[list->currentIndex()]; }
int ChannelsAt(const QComboBox* list) { return list->currentIndex() + 1; }

// Whole number in the usual decimal notation, as typed or pasted; nothing else.
bool ParseWholeNumber(const QString& text, int* value) {
  if (text.isEmpty() || text.trimmed() != text) return false;
  bool ok = false;
  *value = text.toInt(&ok, 10);
  return ok;
}

}  // namespace

Tfm_set::Tfm_set(ISkinEngine& skin, QWidget* parent, WindowFace face)
    : QDialog(parent), skin_(skin), face_(face) {
  setObjectName("fm_set");
  setWindowTitle("Settings");
  UseCloseBoxOnly(this);
  c_ = BuildSettingsPages(this);
  if (face_ == WindowFace::kExtended) {
    formats_ = std::make_unique<ExtendedFormatPages>(c_.pc);
    general_ = std::make_unique<GeneralPage>(c_.pc);
  }
  resize(kOuterWidth, kOuterHeight);

  connect(c_.btn_ok, &QPushButton::clicked, this, &Tfm_set::btn_okClick);
  connect(c_.btn_default, &QPushButton::clicked, this, &Tfm_set::btn_defaultClick);
  connect(c_.btn_cancel, &QPushButton::clicked, this, &Tfm_set::btn_cancelClick);
  for (QRadioButton* mode : {c_.rb_cdquality, c_.rb_bestsuited, c_.rb_custom})
    connect(mode, &QRadioButton::toggled, this, [this](bool on) { if (on) WavModeClick(); });
  connect(c_.cb_vbr, &QCheckBox::toggled, this, &Tfm_set::cb_vbrClick);
  connect(c_.cb_ogg_quality, &QCheckBox::toggled, this, &Tfm_set::cb_ogg_qualityClick);
  connect(c_.edt_ogg_quality, &QLineEdit::textChanged, this, &Tfm_set::edt_ogg_qualityChange);
  connect(c_.edt_ogg_quality, &DigitEdit::Exited, this, &Tfm_set::edt_ogg_qualityExit);
}

Tfm_set::~Tfm_set() = default;

void Tfm_set::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // A window restored by the system (un-minimised) keeps what the user has entered.
  if (!event->spontaneous()) FormShow();
}

void Tfm_set::FormShow() {
  LoadWav();
  LoadMp3();
  SelectStored(c_.cb_wma, keys::kWmaFormat);
  LoadOgg();
  if (formats_) formats_->Load(settings_file_);
  if (general_) general_->Load(settings_file_);
  // Visit every tab once so each is laid out, then open on "WAV".
  for (int tab = 0; tab < c_.pc->count(); ++tab) c_.pc->setCurrentIndex(tab);
  c_.pc->setCurrentIndex(0);
  SkinDialog(skin_, this);
  SetOuterSize(this, kOuterWidth, kOuterHeight);
  CentreOverOwner(this);
}

void Tfm_set::LoadWav() {
  switch (ReadInteger(keys::kWavMode)) {
    case 0: c_.rb_cdquality->setChecked(true); break;
    case 1: c_.rb_bestsuited->setChecked(true); break;
    case 2: c_.rb_custom->setChecked(true); break;
    default: break;  // an unknown mode keeps whatever was selected
  }
  SelectStored(c_.cb_wav_bit, keys::kWavBit);
  SelectStored(c_.cb_wav_channel, keys::kWavChannel);
  SelectStored(c_.cb_wav_frequency, keys::kWavFrequency);
  WavModeClick();
}

void Tfm_set::LoadMp3() {
  SelectStored(c_.cb_mp3_bitrate, keys::kMp3Bitrate);
  SelectStored(c_.cb_mp3_channel, keys::kMp3Channel);
  SelectStored(c_.cb_mp3_frequency, keys::kMp3Frequency);
  c_.ud_mp3_quality->SetPosition(ReadInteger(keys::kMp3Quality));
  c_.cb_vbr->setChecked(ReadBool(keys::kMp3EnableVbr));
  SelectStored(c_.cb_mp3_vbr, keys::kMp3VbrBitrate);
  c_.ud_mp3_vbr->SetPosition(ReadInteger(keys::kMp3VbrQuality));
  cb_vbrClick();
}

void Tfm_set::LoadOgg() {
  SelectStored(c_.cb_ogg_channel, keys::kOggChannel);
  SelectStored(c_.cb_ogg_fre, keys::kOggFrequency);
  SelectStored(c_.cb_ogg_bitrate, keys::kOggBitrate);
  SelectStored(c_.cb_ogg_maxbit, keys::kOggMaxBitrate);
  SelectStored(c_.cb_ogg_minbit, keys::kOggMinBitrate);
  c_.cb_ogg_quality->setChecked(ReadBool(keys::kOggEnableQuality));
  c_.ud_ogg_quality->SetPosition(ReadInteger(keys::kOggQuality));
  cb_ogg_qualityClick();
}

void Tfm_set::btn_okClick() {
  if (!FormatsSupported()) return;
  if (std::optional<std::string> problem = general_ ? general_->Problem() : std::nullopt) {
    UiPrompts::Current().Error(this, QString::fromStdString(*problem));
    return;
  }
  try {
    StoreAll();
  } catch (const SettingsError& error) {
    // Keys written before the failing one stay written; the dialog stays open.
    UiPrompts::Current().Error(this, QString::fromStdString(error.what()));
    return;
  }
  accept();
}

bool Tfm_set::FormatsSupported() {
  const TAudioFile2& engine = Checker();
  // The bounds go minimum first; the engine orders them itself, so either order checks what
  // a run will encode.
  if (!c_.cb_ogg_quality->isChecked() &&
      !engine.IsOggFormatSupported(SampleRateAt(c_.cb_ogg_fre), ChannelsAt(c_.cb_ogg_channel),
                                   BitRateAt(c_.cb_ogg_bitrate), BitRateAt(c_.cb_ogg_minbit),
                                   BitRateAt(c_.cb_ogg_maxbit))) {
    UiPrompts::Current().Information(this, QStringLiteral("Information"), QString::fromLatin1(kOggRefused));
    return false;
  }
  if (!engine.IsMp3FormatSupported(SampleRateAt(c_.cb_mp3_frequency), BitRateAt(c_.cb_mp3_bitrate),
                                   ChannelsAt(c_.cb_mp3_channel))) {
    UiPrompts::Current().Information(this, QStringLiteral("Information"), QString::fromLatin1(kMp3Refused));
    return false;
  }
  const std::optional<ExtendedFormatPages::Refusal> refusal =
      formats_ ? formats_->FirstRefusal(engine) : std::nullopt;
  if (refusal) {
    c_.pc->setCurrentWidget(refusal->page);  // the user sees the values to change
    UiPrompts::Current().Information(this, QStringLiteral("Information"), refusal->text);
    return false;
  }
  return true;
}

void Tfm_set::StoreAll() {
  if (!settings_file_) return;
  TIniFile& ini = *settings_file_;
  if (c_.rb_cdquality->isChecked()) Write(ini, keys::kWavMode, 0);
  else if (c_.rb_bestsuited->isChecked()) Write(ini, keys::kWavMode, 1);
  else if (c_.rb_custom->isChecked()) Write(ini, keys::kWavMode, 2);
  Write(ini, keys::kWavBit, c_.cb_wav_bit->currentIndex());
  Write(ini, keys::kWavChannel, c_.cb_wav_channel->currentIndex());
  Write(ini, keys::kWavFrequency, c_.cb_wav_frequency->currentIndex());

  Write(ini, keys::kMp3Bitrate, c_.cb_mp3_bitrate->currentIndex());
  Write(ini, keys::kMp3Channel, c_.cb_mp3_channel->currentIndex());
  Write(ini, keys::kMp3Frequency, c_.cb_mp3_frequency->currentIndex());
  Write(ini, keys::kMp3Quality, c_.ud_mp3_quality->Position());
  WriteBool(ini, keys::kMp3EnableVbr, c_.cb_vbr->isChecked());
  Write(ini, keys::kMp3VbrBitrate, c_.cb_mp3_vbr->currentIndex());
  Write(ini, keys::kMp3VbrQuality, c_.ud_mp3_vbr->Position());

  Write(ini, keys::kWmaFormat, c_.cb_wma->currentIndex());

  Write(ini, keys::kOggChannel, c_.cb_ogg_channel->currentIndex());
  Write(ini, keys::kOggFrequency, c_.cb_ogg_fre->currentIndex());
  Write(ini, keys::kOggBitrate, c_.cb_ogg_bitrate->currentIndex());
  Write(ini, keys::kOggMaxBitrate, c_.cb_ogg_maxbit->currentIndex());
  Write(ini, keys::kOggMinBitrate, c_.cb_ogg_minbit->currentIndex());
  WriteBool(ini, keys::kOggEnableQuality, c_.cb_ogg_quality->isChecked());
  Write(ini, keys::kOggQuality, c_.ud_ogg_quality->Position());
  if (formats_) formats_->Store(ini);
  if (general_) general_->Store(ini);
}

void Tfm_set::btn_defaultClick() {
  c_.rb_cdquality->setChecked(true);
  c_.cb_wav_bit->setCurrentIndex(keys::kWavBit.buttonDefault);
  c_.cb_wav_channel->setCurrentIndex(keys::kWavChannel.buttonDefault);
  c_.cb_wav_frequency->setCurrentIndex(keys::kWavFrequency.buttonDefault);
  WavModeClick();

  c_.cb_mp3_bitrate->setCurrentIndex(keys::kMp3Bitrate.buttonDefault);
  c_.cb_mp3_channel->setCurrentIndex(keys::kMp3Channel.buttonDefault);
  c_.cb_mp3_frequency->setCurrentIndex(keys::kMp3Frequency.buttonDefault);
  c_.ud_mp3_quality->SetPosition(keys::kMp3Quality.buttonDefault);
  c_.cb_vbr->setChecked(keys::kMp3EnableVbr.buttonDefault != 0);
  c_.cb_mp3_vbr->setCurrentIndex(keys::kMp3VbrBitrate.buttonDefault);
  c_.ud_mp3_vbr->SetPosition(keys::kMp3VbrQuality.buttonDefault);
  cb_vbrClick();

  c_.cb_wma->setCurrentIndex(keys::kWmaFormat.buttonDefault);

  c_.cb_ogg_channel->setCurrentIndex(keys::kOggChannel.buttonDefault);
  c_.cb_ogg_fre->setCurrentIndex(keys::kOggFrequency.buttonDefault);
  c_.cb_ogg_bitrate->setCurrentIndex(keys::kOggBitrate.buttonDefault);
  c_.cb_ogg_maxbit->setCurrentIndex(keys::kOggMaxBitrate.buttonDefault);
  c_.cb_ogg_minbit->setCurrentIndex(keys::kOggMinBitrate.buttonDefault);
  c_.cb_ogg_quality->setChecked(keys::kOggEnableQuality.buttonDefault != 0);
  c_.ud_ogg_quality->SetPosition(keys::kOggQuality.buttonDefault);
  cb_ogg_qualityClick();
  c_.edt_ogg_quality->setText(QString::number(keys::kOggQuality.buttonDefault));
  if (formats_) formats_->SetDefaults();
  if (general_) general_->SetDefaults();
}

void Tfm_set::btn_cancelClick() { reject(); }

void Tfm_set::WavModeClick() {
  const bool custom = c_.rb_custom->isChecked();
  for (QComboBox* list : {c_.cb_wav_frequency, c_.cb_wav_bit, c_.cb_wav_channel}) list->setEnabled(custom);
}

void Tfm_set::cb_vbrClick() {
  const bool vbr = c_.cb_vbr->isChecked();
  c_.cb_mp3_vbr->setEnabled(vbr);
  c_.ud_mp3_vbr->setEnabled(vbr);
}

void Tfm_set::cb_ogg_qualityClick() {
  const bool byQuality = c_.cb_ogg_quality->isChecked();
  c_.ud_ogg_quality->setEnabled(byQuality);
  c_.edt_ogg_quality->setEnabled(byQuality);
  c_.cb_ogg_minbit->setEnabled(!byQuality);
  c_.cb_ogg_maxbit->setEnabled(!byQuality);
}

void Tfm_set::edt_ogg_qualityChange() {
  const QString text = c_.edt_ogg_quality->text();
  if (text.trimmed().isEmpty()) {
    c_.ud_ogg_quality->SetPositionKeepingText(0);
    return;
  }
  QString digits = text;
  digits.remove(QLatin1Char(','));
  int value = 0;
  if (!ParseWholeNumber(digits, &value)) {
    UiPrompts::Current().Error(this, QStringLiteral("'%1' is not a valid integer value").arg(digits));
    return;
  }
  c_.ud_ogg_quality->SetPosition(value >= kOggQualityCap ? kOggQualityCap : value);
}

void Tfm_set::edt_ogg_qualityExit() {
  if (c_.edt_ogg_quality->text().isEmpty()) c_.edt_ogg_quality->setText(QStringLiteral("0"));
}

// A stored index outside the list (a hand-edited file) falls back to the dialog's default for
// that key, so the checks and OK always work with a valid entry.
void Tfm_set::SelectStored(QComboBox* list, const IntegerKey& key) const {
  const int stored = ReadInteger(key);
  list->setCurrentIndex(stored >= 0 && stored < list->count() ? stored : key.dialogDefault);
}

int Tfm_set::ReadInteger(const IntegerKey& key) const {
  return settings_file_ ? ReadForDialog(*settings_file_, key) : key.dialogDefault;
}

bool Tfm_set::ReadBool(const IntegerKey& key) const {
  return settings_file_ ? ReadBoolForDialog(*settings_file_, key) : key.dialogDefault != 0;
}

const TAudioFile2& Tfm_set::Checker() {
  if (!checker_) checker_ = std::make_unique<TAudioFile2>();
  return *checker_;
}
