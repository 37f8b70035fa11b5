// The about box: program name, version, what it does, and a contact link. Modeless.
#pragma once

#include <QDialog>

class ISkinEngine;

class Tfm_about : public QDialog {
  Q_OBJECT
 public:
  explicit Tfm_about(ISkinEngine& skin, QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  ISkinEngine& skin_;
};
