// The tag editor: edits a working copy of the tag table and commits it on "Ok". Opened
// modally by the main window's skin command "tag".
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class ISkinEngine;
class TagTable;

class Tfm_id3 : public QDialog {
  Q_OBJECT
 public:
  explicit Tfm_id3(ISkinEngine& skin, QWidget* parent = nullptr);
  // The committed table, the editor's working copy, and the list's file names (one per row,
  // in list order) that the track list shows.
  void AttachTables(TagTable* tagTable, TagTable* tagWork,
                    std::function<std::vector<std::string>()> trackNames);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  ISkinEngine& skin_;
  TagTable* tag_table_ = nullptr;
  TagTable* tag_work_ = nullptr;
  std::function<std::vector<std::string>()> trackNames_;
};
