// The tag editor: edits a working copy of the list's tag records and commits it on "Ok".
// Opened modally by the main window's skin command "tag".
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "tags/Timerec.h"

class ISkinEngine;
class QComboBox;
class QLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TrackListView;

// What the editor works on: the list's file names (one per row, in list order) that the track
// list shows, the rows' records, and where "Ok" hands the edited records back.
struct TagEditorSource {
  std::function<std::vector<std::string>()> trackNames;
  std::function<std::vector<Timerec>()> records;
  std::function<void(const std::vector<Timerec>&)> commit;
};

class Tfm_id3 : public QDialog {
  Q_OBJECT
 public:
  explicit Tfm_id3(ISkinEngine& skin, QWidget* parent = nullptr);
  // An empty source detaches the editor: it then shows no tracks and commits nothing.
  void Attach(TagEditorSource source) { source_ = std::move(source); }

  void btn_okClick();
  void btn_cancelClick();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Every way of closing ends here: the track list is emptied.
  void done(int result) override;

 private:
  // One editable field: its control's text read and written as record text.
  struct Field {
    std::string Timerec::*member;
    std::function<QString()> text;
    std::function<void(const QString&)> show;
  };

  void BuildControls();
  QWidget* BuildTrackList();
  QWidget* BuildFields();
  QLayout* BuildButtons();
  void AddField(const QString& label, QWidget* control, std::string Timerec::*member,
                std::function<QString()> text, std::function<void(const QString&)> show,
                const char* allButtonName);
  void FormShow();
  void FillGenreChoices();
  void FillTrackList();
  void lv_id3Click(const QPoint& at);
  void ShowSelectedRecord();
  void ClearFields();
  int SelectedRow() const;
  // The working record of the selected row; null when no row is selected.
  Timerec* SelectedRecord();
  void StoreField(const Field& field);
  void AllClick(const Field& field);

  ISkinEngine& skin_;
  TagEditorSource source_;
  std::vector<Timerec> tag_work_;  // the working copy, one record per listed track

  TrackListView* lv_id3 = nullptr;
  QLineEdit* edt_tatal = nullptr;
  QLineEdit* edt_art = nullptr;
  QLineEdit* edt_alb = nullptr;
  QLineEdit* edt_year = nullptr;
  QComboBox* edt_genre = nullptr;
  QPlainTextEdit* edt_com = nullptr;
  QPushButton* btn_ok = nullptr;
  QPushButton* btn_cancel = nullptr;
  std::vector<Field> fields_;
  std::vector<QWidget*> exitWatched_;
  std::vector<QWidget*> tabChain_;  // the fields that store once more on losing focus
};
