// The about box: program name, version, what it does, and a contact link. Modeless.
#pragma once

#include <QDialog>

class ISkinEngine;

// Where "Contact us " sends mail.
constexpr const char* kSupportMailto = "mailto:support@velmora-software.example";

class Tfm_about : public QDialog {
  Q_OBJECT
 public:
  explicit Tfm_about(ISkinEngine& skin, QWidget* parent = nullptr);

  // Centres the box over `mainWindow` and shows it without blocking; a box already open is
  // moved there and raised.
  void ShowOver(QWidget* mainWindow);

  void btn_contactClick();
  void btn_closeClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  ISkinEngine& skin_;
};
