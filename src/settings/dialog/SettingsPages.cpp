#include "settings/dialog/SettingsPages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "dialogs/ComboBoxName.h"
#include "settings/dialog/DigitEdit.h"
#include "settings/dialog/SettingsChoices.h"
#include "settings/dialog/SettingsLayout.h"
#include "settings/dialog/UpDown.h"

namespace {

// An edit box with its up-down beside it, labelled on the left.
template <typename Edit>
Edit* AddCounter(QGridLayout* grid, int row, int column, const QString& labelText,
                 const char* editName, const char* upDownName, int maximum, int maxLength,
                 bool thousands, UpDown** upDown) {
  QWidget* parent = grid->parentWidget();
  auto* label = Caption(labelText, parent);
  auto* edit = Named(new Edit(parent), editName, labelText);
  edit->setMaxLength(maxLength);
  edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (maxLength + 1) + 12);
  *upDown = new UpDown(0, maximum, edit, thousands, parent);
  (*upDown)->setObjectName(QString::fromLatin1(upDownName));
  (*upDown)->NameFor(labelText.trimmed());
  label->setBuddy(edit);
  auto* box = new QHBoxLayout;
  box->setSpacing(0);
  box->addWidget(edit);
  box->addWidget(*upDown);
  box->addStretch();
  grid->addWidget(label, row, column);
  grid->addLayout(box, row, column + 1);
  return edit;
}

struct ListSlot {
  QComboBox** list;
  const char* name;
};

// The encoders' general options: frequency and bit rate side by side, the channel below.
QGroupBox* EncoderOptions(QWidget* page, QGridLayout** grid, ListSlot frequency, ListSlot bitRate,
                          ListSlot channel) {
  QGroupBox* general = Group(QStringLiteral("General Options"), page, grid);
  *frequency.list = AddList(*grid, 0, 0, QStringLiteral("Frequency: "), frequency.name, SampleRateEntries());
  *bitRate.list = AddList(*grid, 0, 2, QStringLiteral("Bitrate: "), bitRate.name, BitRateEntries());
  *channel.list = AddList(*grid, 1, 0, QStringLiteral("Channel: "), channel.name, ChannelEntries());
  return general;
}

void BuildWavPage(QTabWidget* tabs, SettingsControls& c) {
  QVBoxLayout* column;
  QWidget* page = Page(tabs, QStringLiteral("WAV"), &column);
  QGridLayout* grid;
  QGroupBox* mode = Group(QStringLiteral("Mode"), page, &grid);
  c.rb_cdquality = Named(new QRadioButton(QStringLiteral("CD quality WAV format (for burning audio CD)"), mode),
                         "rb_cdquality", QStringLiteral("CD quality WAV format (for burning audio CD)"));
  c.rb_bestsuited = Named(new QRadioButton(QStringLiteral("Best suited WAV format"), mode),
                          "rb_bestsuited", QStringLiteral("Best suited WAV format"));
  c.rb_custom = Named(new QRadioButton(QStringLiteral("Custom format"), mode), "rb_custom",
                      QStringLiteral("Custom format"));
  // Best suited makes no format call, so the writer keeps the format it last used.
  Hint(c.rb_bestsuited,
       QStringLiteral("Sets no format of its own: the first run after the window opens keeps "
                      "each source's rate and channels; later runs write the WAV format used "
                      "last (CD quality, custom, or a normalized WAV)."));
  grid->addWidget(c.rb_cdquality, 0, 0);
  grid->addWidget(c.rb_bestsuited, 1, 0);
  grid->addWidget(c.rb_custom, 2, 0);
  grid->addWidget(Note(QStringLiteral("To set the parameters below, please choose \"Custom Format\" "), mode), 3, 0);
  column->addWidget(mode);

  QGroupBox* general = Group(QStringLiteral("General Options"), page, &grid);
  c.cb_wav_frequency = AddList(grid, 0, 0, QStringLiteral("Frequency: "), "cb_wav_frequency", SampleRateEntries());
  c.cb_wav_channel = AddList(grid, 1, 0, QStringLiteral("Channel:"), "cb_wav_channel", ChannelEntries());
  c.cb_wav_bit = AddList(grid, 2, 0, QStringLiteral("Bit Per Sample:"), "cb_wav_bit", BitsPerSampleEntries());
  grid->addWidget(Note(QStringLiteral("To small created file, low frequency or bit per sample, "), general), 3, 0, 1, 2);
  grid->addWidget(Note(QStringLiteral("but quality will be lowed accordingly. "), general), 4, 0, 1, 2);
  column->addWidget(general);
  column->addStretch();
}

void BuildMp3Page(QTabWidget* tabs, SettingsControls& c) {
  QVBoxLayout* column;
  QWidget* page = Page(tabs, QStringLiteral("MP3"), &column);
  QGridLayout* grid;
  QGroupBox* general = EncoderOptions(page, &grid, {&c.cb_mp3_frequency, "cb_mp3_frequency"},
                                      {&c.cb_mp3_bitrate, "cb_mp3_bitrate"}, {&c.cb_mp3_channel, "cb_mp3_channel"});
  c.edt_mp3_quality = AddCounter<QLineEdit>(grid, 1, 2, QStringLiteral("Quality: "), "edt_mp3_quality",
                                            "ud_mp3_quality", 9, 1, false, &c.ud_mp3_quality);
  c.edt_mp3_quality->setReadOnly(true);
  grid->addWidget(Note(QStringLiteral("8Kbps - poor quality, small file, 320Kbps - good quality, big file"), general), 2, 0, 1, 4);
  grid->addWidget(Note(QStringLiteral("Quality: 0 - best quality, low speed, 9 - low quality, fast speed. "), general), 3, 0, 1, 4);
  column->addWidget(general);

  QGroupBox* vbr = Group(QStringLiteral("VBR (Variable Bit Rate)"), page, &grid);
  c.cb_vbr = Named(new QCheckBox(QStringLiteral("Enable VBR"), vbr), "cb_vbr", QStringLiteral("Enable VBR"));
  grid->addWidget(c.cb_vbr, 0, 0, 1, 4);
  c.cb_mp3_vbr = AddList(grid, 1, 0, QStringLiteral("VBR Bitrate: "), "cb_mp3_vbr", BitRateEntries());
  c.edt_mp3_vbr = AddCounter<QLineEdit>(grid, 1, 2, QStringLiteral("VBR Quality: "), "edt_mp3_vbr",
                                        "ud_mp3_vbr", 9, 1, false, &c.ud_mp3_vbr);
  c.edt_mp3_vbr->setReadOnly(true);
  grid->addWidget(Note(QStringLiteral("Quality: 0 - best quality, low speed, 9 - low quality, fast speed. "), vbr), 2, 0, 1, 4);
  column->addWidget(vbr);
  column->addStretch();
}

void BuildWmaPage(QTabWidget* tabs, SettingsControls& c) {
  QVBoxLayout* column;
  QWidget* page = Page(tabs, QStringLiteral("WMA"), &column);
  QGridLayout* grid;
  QGroupBox* format = Group(QStringLiteral("WMA Format"), page, &grid);
  c.cb_wma = NewLabelledComboBox(format, format->title());
  c.cb_wma->setObjectName(QStringLiteral("cb_wma"));
  c.cb_wma->addItems(WmaProfileEntries());
  c.cb_wma->setMaxVisibleItems(16);
  grid->addWidget(c.cb_wma, 0, 0);
  // The names stay as users know them; what the encoder really writes is said here.
  const QString truth =
      QStringLiteral("All profiles write WMA 2 at a constant bit rate: \"VBR Quality\" ones "
                     "too, and \"Lossless\" is lossy, about 552 kbit/s.");
  grid->addWidget(Note(truth, format), 1, 0, 1, 4);
  Hint(c.cb_wma, truth);
  column->addWidget(format);
  column->addStretch();
}

void BuildOggPage(QTabWidget* tabs, SettingsControls& c) {
  QVBoxLayout* column;
  QWidget* page = Page(tabs, QStringLiteral("OGG"), &column);
  QGridLayout* grid;
  QGroupBox* general = EncoderOptions(page, &grid, {&c.cb_ogg_fre, "cb_ogg_fre"}, {&c.cb_ogg_bitrate, "cb_ogg_bitrate"},
                                      {&c.cb_ogg_channel, "cb_ogg_channel"});
  grid->addWidget(Note(QStringLiteral("8Kbps - poor quality, small file, 320Kbps - good quality, big file"), general), 2, 0, 1, 4);
  column->addWidget(general);

  QGroupBox* vbr = Group(QStringLiteral("VBR (Variable Bit Rate)"), page, &grid);
  c.cb_ogg_quality = Named(new QCheckBox(QStringLiteral("Enable Quality"), vbr), "cb_ogg_quality",
                           QStringLiteral("Enable Quality"));
  grid->addWidget(c.cb_ogg_quality, 0, 0, 1, 2);
  c.edt_ogg_quality = AddCounter<DigitEdit>(grid, 0, 2, QStringLiteral("VBR Quality: "), "edt_ogg_quality",
                                            "ud_ogg_quality", 1000, 5, true, &c.ud_ogg_quality);
  c.cb_ogg_minbit = AddList(grid, 1, 0, QStringLiteral("Min Bitrate: "), "cb_ogg_minbit", BitRateEntries());
  c.cb_ogg_maxbit = AddList(grid, 1, 2, QStringLiteral("Max Bitrate: "), "cb_ogg_maxbit", BitRateEntries());
  grid->addWidget(Note(QStringLiteral("0 - best quality, low speed, 1000 - low quality, fast speed . "), vbr), 2, 0, 1, 4);
  grid->addWidget(Note(QStringLiteral("If quality enabled, the bitrate just affects the convertation "), vbr), 3, 0, 1, 4);
  grid->addWidget(Note(QStringLiteral("speed and the quality of the result file, not decide. "), vbr), 4, 0, 1, 4);
  column->addWidget(vbr);
  column->addStretch();
}

QPushButton* Button(const QString& caption, const char* name, QWidget* parent) {
  QPushButton* button = Named(new QPushButton(caption, parent), name, caption);
  button->setFixedSize(75, 25);
  return button;
}

}  // namespace

SettingsControls BuildSettingsPages(QWidget* dialog) {
  SettingsControls c;
  auto* outer = new QVBoxLayout(dialog);
  outer->setContentsMargins(6, 6, 6, 6);
  auto* group = new QGroupBox(QStringLiteral("Output Settings"), dialog);
  auto* column = new QVBoxLayout(group);
  column->setContentsMargins(6, 4, 6, 6);
  c.pc = Named(new QTabWidget(group), "pc", QStringLiteral("Output Settings"));
  // No pane of its own: the pages show the dialog's (skinned) background.
  c.pc->setDocumentMode(true);
  BuildWavPage(c.pc, c);
  BuildMp3Page(c.pc, c);
  BuildWmaPage(c.pc, c);
  BuildOggPage(c.pc, c);
  column->addWidget(c.pc);

  auto* buttons = new QHBoxLayout;
  c.btn_ok = Button(QStringLiteral("OK"), "btn_ok", group);
  c.btn_default = Button(QStringLiteral("Default"), "btn_default", group);
  c.btn_cancel = Button(QStringLiteral("Cancel"), "btn_cancel", group);
  c.btn_ok->setDefault(true);
  buttons->addWidget(c.btn_ok);
  buttons->addStretch();
  buttons->addWidget(c.btn_default);
  buttons->addStretch();
  buttons->addWidget(c.btn_cancel);
  column->addLayout(buttons);
  outer->addWidget(group);
  return c;
}
