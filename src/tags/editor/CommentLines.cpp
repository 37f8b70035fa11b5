#include "tags/editor/CommentLines.h"

#include "base/LineBreaks.h"

QString EditorComment(const QString& recordText) {
  return QString::fromStdString(LineBreaksAsLf(recordText.toStdString()));
}

QString RecordComment(const QString& editorText) {
  QString text = editorText;
  text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return text;
}
