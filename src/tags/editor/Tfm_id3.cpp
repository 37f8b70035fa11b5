#include "tags/editor/Tfm_id3.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "dialogs/ComboBoxName.h"
#include "dialogs/DialogWindow.h"
#include "tags/editor/CommentLines.h"
#include "tags/GenreNames.h"
#include "tags/editor/TrackListView.h"

namespace {

constexpr int kOuterWidth = 478;
constexpr int kOuterHeight = 415;

QString FromRecord(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

Tfm_id3::Tfm_id3(ISkinEngine& skin, QWidget* parent) : QDialog(parent), skin_(skin) {
  setObjectName("fm_id3");
  setWindowTitle("ID3 Edit");
  UseCloseBoxOnly(this);
  BuildControls();
  resize(kOuterWidth, kOuterHeight);
}

void Tfm_id3::BuildControls() {
  auto* outer = new QHBoxLayout(this);
  outer->setContentsMargins(6, 6, 6, 6);
  outer->addWidget(BuildTrackList());
  auto* right = new QVBoxLayout;
  right->addWidget(BuildFields());
  right->addLayout(BuildButtons());
  right->addStretch();
  outer->addLayout(right);
  // Each field is followed by its own "All" button, then come "Ok" and "Cancel".
  QWidget* previous = lv_id3;
  for (QWidget* next : tabChain_) {
    setTabOrder(previous, next);
    previous = next;
  }
}

QWidget* Tfm_id3::BuildTrackList() {
  lv_id3 = new TrackListView(this);
  lv_id3->setObjectName("lv_id3");
  lv_id3->setAccessibleName("Track Name");
  lv_id3->setFixedWidth(166);
  connect(lv_id3, &TrackListView::Clicked, this, &Tfm_id3::lv_id3Click);
  // Clicks and the arrow keys alike show the newly selected row's fields.
  connect(lv_id3, &QTableWidget::itemSelectionChanged, this, [this] { ShowSelectedRecord(); });
  return lv_id3;
}

QWidget* Tfm_id3::BuildFields() {
  auto* group = new QGroupBox(this);
  auto* grid = new QGridLayout(group);
  grid->setVerticalSpacing(6);
  edt_tatal = new QLineEdit(group);
  edt_art = new QLineEdit(group);
  edt_alb = new QLineEdit(group);
  edt_year = new QLineEdit(group);
  edt_genre = NewLabelledComboBox(group, "Genre:", true);
  edt_genre->setInsertPolicy(QComboBox::NoInsert);
  edt_genre->setMaxVisibleItems(16);
  edt_com = new QPlainTextEdit(group);
  edt_com->setFixedHeight(82);
  edt_com->setTabChangesFocus(true);

  auto lineText = [](QLineEdit* e) { return [e] { return e->text(); }; };
  auto lineShow = [](QLineEdit* e) { return [e](const QString& t) { e->setText(t); }; };
  AddField("Title:", edt_tatal, &Timerec::title, lineText(edt_tatal), lineShow(edt_tatal), "Button1");
  AddField("Artist: ", edt_art, &Timerec::artist, lineText(edt_art), lineShow(edt_art), "Button2");
  AddField("Album: ", edt_alb, &Timerec::album, lineText(edt_alb), lineShow(edt_alb), "Button3");
  AddField("Year: ", edt_year, &Timerec::year, lineText(edt_year), lineShow(edt_year), "Button4");
  AddField("Genre:", edt_genre, &Timerec::genre, [this] { return edt_genre->currentText(); },
           [this](const QString& t) { edt_genre->setEditText(t); }, "Button5");
  AddField("Comment: ", edt_com, &Timerec::comment,
           [this] { return RecordComment(edt_com->toPlainText()); },
           [this](const QString& t) { edt_com->setPlainText(EditorComment(t)); }, "Button6");

  QLineEdit* const lines[] = {edt_tatal, edt_art, edt_alb, edt_year};
  for (size_t i = 0; i < 4; ++i)
    connect(lines[i], &QLineEdit::textChanged, this, [this, i] { StoreField(fields_[i]); });
  connect(edt_genre, &QComboBox::editTextChanged, this, [this] { StoreField(fields_[4]); });
  connect(edt_com, &QPlainTextEdit::textChanged, this, [this] { StoreField(fields_[5]); });
  exitWatched_ = {edt_tatal, edt_art, edt_alb, edt_year, edt_com};
  for (QWidget* w : exitWatched_) w->installEventFilter(this);
  return group;
}

QLayout* Tfm_id3::BuildButtons() {
  btn_ok = new QPushButton("Ok", this);
  btn_ok->setObjectName("btn_ok");
  btn_cancel = new QPushButton("Cancel", this);
  btn_cancel->setObjectName("btn_cancel");
  btn_ok->setFixedSize(75, 25);
  btn_cancel->setFixedSize(75, 25);
  btn_ok->setDefault(true);  // Enter in a one-line field confirms, as in the other dialogs
  btn_cancel->setAutoDefault(false);
  connect(btn_ok, &QPushButton::clicked, this, &Tfm_id3::btn_okClick);
  connect(btn_cancel, &QPushButton::clicked, this, &Tfm_id3::btn_cancelClick);
  tabChain_.push_back(btn_ok);
  tabChain_.push_back(btn_cancel);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btn_ok);
  buttons->addWidget(btn_cancel);
  return buttons;
}

void Tfm_id3::AddField(const QString& labelText, QWidget* control, std::string Timerec::*member,
                       std::function<QString()> text, std::function<void(const QString&)> show,
                       const char* allButtonName) {
  static const char* const kControlNames[] = {"edt_tatal", "edt_art", "edt_alb",
                                              "edt_year",  "edt_genre", "edt_com"};
  const int row = static_cast<int>(fields_.size());
  fields_.push_back(Field{member, std::move(text), std::move(show)});
  auto* grid = static_cast<QGridLayout*>(control->parentWidget()->layout());
  auto* label = new QLabel(labelText, control->parentWidget());
  label->setObjectName("SkinLabel");
  label->setBuddy(control);
  control->setObjectName(kControlNames[row]);
  control->setAccessibleName(labelText.trimmed());
  auto* all = new QPushButton("All", control->parentWidget());
  all->setObjectName(allButtonName);
  all->setAccessibleName("All " + labelText.trimmed().remove(':'));
  all->setAutoDefault(false);
  all->setFixedWidth(40);
  connect(all, &QPushButton::clicked, this, [this, row] { AllClick(fields_[row]); });
  tabChain_.push_back(control);
  tabChain_.push_back(all);
  const Qt::Alignment top = control == edt_com ? Qt::AlignTop : Qt::Alignment();
  grid->addWidget(label, row, 0, top);
  grid->addWidget(control, row, 1);
  grid->addWidget(all, row, 2, top);
}

void Tfm_id3::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // A window restored by the system (un-minimised) keeps what the user has entered.
  if (!event->spontaneous()) FormShow();
}

void Tfm_id3::FormShow() {
  FillGenreChoices();
  SkinDialog(skin_, this);
  FillTrackList();
  tag_work_ = source_.records ? source_.records() : std::vector<Timerec>();
  // The working copy holds one record for every row, whatever the source had.
  tag_work_.resize(static_cast<size_t>(lv_id3->rowCount()));
  SetOuterSize(this, kOuterWidth, kOuterHeight);
  CentreOverOwner(this);
  if (lv_id3->rowCount() > 0) lv_id3->SelectRow(0);
  ShowSelectedRecord();
}

void Tfm_id3::FillGenreChoices() {
  // Refilled at each opening without touching the typed genre, which belongs to a record.
  const QSignalBlocker quiet(edt_genre);
  const QString typed = edt_genre->currentText();
  edt_genre->clear();
  for (const char* name : genre_names) edt_genre->addItem(QString::fromLatin1(name));
  edt_genre->setCurrentIndex(-1);
  edt_genre->setEditText(typed);
}

void Tfm_id3::FillTrackList() {
  lv_id3->SetTracks(source_.trackNames ? source_.trackNames() : std::vector<std::string>());
}

bool Tfm_id3::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    for (size_t i = 0; i < exitWatched_.size(); ++i) {
      if (watched != exitWatched_[i]) continue;
      StoreField(fields_[i < 4 ? i : 5]);  // the five fields without the genre box
    }
  }
  return QDialog::eventFilter(watched, event);
}

void Tfm_id3::lv_id3Click(const QPoint& at) {
  // A click below the last row picks the last row; a click on a row is left to the list,
  // whose selection change shows that row's fields.
  if (lv_id3->itemAt(at) || lv_id3->rowCount() == 0) return;
  lv_id3->SelectRow(lv_id3->rowCount() - 1);
}

int Tfm_id3::SelectedRow() const { return lv_id3->SelectedRow(); }

Timerec* Tfm_id3::SelectedRecord() {
  const int row = SelectedRow();
  if (row < 0 || static_cast<size_t>(row) >= tag_work_.size()) return nullptr;
  return &tag_work_[static_cast<size_t>(row)];
}

void Tfm_id3::ShowSelectedRecord() {
  const Timerec* selected = SelectedRecord();
  if (!selected) {
    ClearFields();
    return;
  }
  // Showing a record must not write it back: the controls would normalise its text.
  const Timerec record = *selected;
  const QSignalBlocker a(edt_tatal), b(edt_art), c(edt_alb), d(edt_year), e(edt_genre), f(edt_com);
  for (const Field& field : fields_) field.show(FromRecord(record.*field.member));
}

void Tfm_id3::ClearFields() {
  const QSignalBlocker a(edt_tatal), b(edt_art), c(edt_alb), d(edt_year), e(edt_genre), f(edt_com);
  for (const Field& field : fields_) field.show(QString());
}

void Tfm_id3::StoreField(const Field& field) {
  if (Timerec* record = SelectedRecord()) record->*field.member = field.text().toStdString();
}

void Tfm_id3::AllClick(const Field& field) {
  const std::string value = field.text().toStdString();
  for (Timerec& record : tag_work_) record.*field.member = value;
}

void Tfm_id3::btn_okClick() {
  if (source_.commit) source_.commit(tag_work_);
  accept();
}

void Tfm_id3::btn_cancelClick() { reject(); }

void Tfm_id3::done(int result) {
  lv_id3->SetTracks({});
  QDialog::done(result);
}
