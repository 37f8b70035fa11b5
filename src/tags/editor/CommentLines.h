// A tag record keeps a comment's lines separated by CR LF; the editor's memo works with LF.
#pragma once

#include <QString>

// Record text → memo text: CR LF and lone CR become LF.
QString EditorComment(const QString& recordText);
// Memo text → record text: every LF becomes CR LF.
QString RecordComment(const QString& editorText);
