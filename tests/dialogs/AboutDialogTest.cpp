// The about box: fixed texts, the contact link through the desktop's URL opener, modeless.
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

#include "DialogTestSupport.h"
#include "dialogs/Tfm_about.h"

namespace {

// Stands in for the desktop's mail program.
class MailOpener : public QObject {
  Q_OBJECT
 public:
  std::vector<QUrl> opened;
 public slots:
  void Open(const QUrl& url) { opened.push_back(url); }
};

class AboutDialogTest : public ::testing::Test {
 protected:
  AboutDialogTest() : about(skin, &mainWindow) {
    mainWindow.setGeometry(100, 80, 485, 324);
    mainWindow.show();
  }
  QLabel* Label(const char* name) { return Child<QLabel>(&about, name); }

  FakeSkin skin;
  QWidget mainWindow;
  Tfm_about about;
};

TEST_F(AboutDialogTest, ShowsTheFixedTextsWithoutBlocking) {
  about.ShowOver(&mainWindow);
  EXPECT_TRUE(about.isVisible());
  EXPECT_FALSE(about.isModal());
  EXPECT_EQ(about.windowTitle(), "About");
  EXPECT_EQ(about.size(), QSize(295, 237));
  EXPECT_EQ(Label("SkinLabel1")->text(), "Velmora MP3 Converter");
  EXPECT_TRUE(Label("SkinLabel1")->font().bold());
  EXPECT_EQ(Label("SkinLabel2")->text(), "Version : 1.00");
  EXPECT_EQ(Label("SkinLabel3")->text(), "Do conversion between WAV, MP3, WMA and OGG. ");
  EXPECT_EQ(Label("ImagePanel1")->pixmap().size(), QSize(32, 32));
  EXPECT_EQ(Child<QPushButton>(&about, "btn_contact")->text(), "Contact us ");
  EXPECT_EQ(Child<QPushButton>(&about, "btn_close")->text(), "Close");
  ASSERT_EQ(skin.calls.size(), 2u);
  EXPECT_EQ(skin.calls[0].operation, "PrepareWindow");
  EXPECT_EQ(skin.calls[1].formName, "windows");
  EXPECT_EQ(ControlsWithoutAccessibleName(&about), std::vector<std::string>{});
}

TEST_F(AboutDialogTest, ContactOpensTheMailAddressAndTheBoxStaysOpen) {
  MailOpener opener;
  QDesktopServices::setUrlHandler("mailto", &opener, "Open");
  about.ShowOver(&mainWindow);
  Child<QPushButton>(&about, "btn_contact")->click();
  QDesktopServices::unsetUrlHandler("mailto");
  ASSERT_EQ(opener.opened.size(), 1u);
  EXPECT_EQ(opener.opened[0].toString().toStdString(), kSupportMailto);
  EXPECT_TRUE(about.isVisible());
}

TEST_F(AboutDialogTest, CloseHidesAndASecondShowingMovesItBackOverTheMainWindow) {
  about.ShowOver(&mainWindow);
  about.move(0, 0);
  about.ShowOver(&mainWindow);
  const QPoint centre = mainWindow.frameGeometry().center();
  EXPECT_LE(std::abs(about.frameGeometry().center().x() - centre.x()), 1);
  EXPECT_LE(std::abs(about.frameGeometry().center().y() - centre.y()), 1);
  Child<QPushButton>(&about, "btn_close")->click();
  EXPECT_FALSE(about.isVisible());
  about.ShowOver(&mainWindow);
  EXPECT_TRUE(about.isVisible());
  EXPECT_EQ(skin.calls.size(), 4u) << "skinned at every showing, not when moved while open";
}

}  // namespace

#include "AboutDialogTest.moc"
