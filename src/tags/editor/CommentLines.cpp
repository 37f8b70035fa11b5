#include "tags/editor/CommentLines.h"

QString EditorComment(const QString& recordText) {
  QString text = recordText;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

QString RecordComment(const QString& editorText) {
  QString text = editorText;
  text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return text;
}
