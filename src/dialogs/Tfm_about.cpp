#include "dialogs/Tfm_about.h"

#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QUrl>
#include <QVBoxLayout>

#include "dialogs/DialogWindow.h"

namespace {

constexpr int kClientWidth = 295;
constexpr int kClientHeight = 237;

QLabel* SkinLabel(const QString& text, const char* name, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

QPushButton* Button(const QString& caption, const char* name, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAccessibleName(caption.trimmed());
  button->setFixedSize(75, 25);
  return button;
}

// The icon stored with the box: the program's own, drawn at the size the box shows.
QPixmap ProgramIcon() { return QPixmap(QStringLiteral(":/dialogs/program-icon-32.png")); }

}  // namespace

Tfm_about::Tfm_about(ISkinEngine& skin, QWidget* parent) : QDialog(parent), skin_(skin) {
  Q_INIT_RESOURCE(dialogs);  // a static library's resources are linked only when named
  setObjectName("fm_about");
  setWindowTitle("About");
  UseCloseBoxOnly(this);
  setModal(false);

  auto* image = new QLabel(this);
  image->setObjectName("ImagePanel1");
  image->setAccessibleName("Velmora MP3 Converter icon");
  image->setFixedSize(32, 32);
  image->setPixmap(ProgramIcon());
  QLabel* name = SkinLabel("Velmora MP3 Converter", "SkinLabel1", this);
  QFont bold = name->font();
  bold.setBold(true);
  name->setFont(bold);
  QLabel* version = SkinLabel("Version : 1.00", "SkinLabel2", this);
  QLabel* purpose = SkinLabel("Do conversion between WAV, MP3, WMA and OGG. ", "SkinLabel3", this);
  purpose->setWordWrap(true);  // larger fonts than the box was drawn for must not cut it off
  auto* line = new QFrame(this);
  line->setObjectName("Panel1");
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  line->setFixedSize(270, 2);
  QPushButton* contact = Button("Contact us ", "btn_contact", this);
  QPushButton* close = Button("Close", "btn_close", this);
  close->setDefault(true);
  connect(contact, &QPushButton::clicked, this, &Tfm_about::btn_contactClick);
  connect(close, &QPushButton::clicked, this, &Tfm_about::btn_closeClick);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(12, 12, 12, 12);
  auto* head = new QHBoxLayout;
  head->addWidget(image, 0, Qt::AlignTop);
  auto* titles = new QVBoxLayout;
  titles->addWidget(name);
  titles->addWidget(version);
  head->addLayout(titles, 1);
  column->addLayout(head);
  column->addSpacing(12);
  column->addWidget(purpose);
  column->addStretch();
  column->addWidget(line, 0, Qt::AlignHCenter);
  column->addSpacing(8);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(contact);
  buttons->addStretch();
  buttons->addWidget(close);
  column->addLayout(buttons);
  setFixedSize(kClientWidth, kClientHeight);
}

void Tfm_about::ShowOver(QWidget* mainWindow) {
  // The frame is known only once the window exists; measured before, the box lands off centre.
  winId();
  const QRect main = mainWindow->frameGeometry();
  const QSize outer = frameGeometry().size();
  move(main.left() + (main.width() - outer.width()) / 2, main.top() + (main.height() - outer.height()) / 2);
  show();
  raise();
  activateWindow();
}

void Tfm_about::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) SkinDialog(skin_, this);
}

void Tfm_about::btn_contactClick() {
  // The mail program's result is not examined; the box stays open either way.
  QDesktopServices::openUrl(QUrl(QString::fromLatin1(kSupportMailto)));
}

void Tfm_about::btn_closeClick() { hide(); }
