// Small functions the editor's windows share.
#pragma once

#include "controls/Graphics.h"

#include <QChar>
#include <QString>
#include <QStringView>

class QWidget;

// Inserts the user's thousands separator (QLocale's group separator) between groups of three
// characters counted from the right; texts of fewer than 4 characters come back unchanged.
QString groupThousands(const QString& digits);

// The one-character form of flags in the settings: '1' for true, '0' for false.
char boolToChar(bool value);
// False for '0', true for any other character.
bool charToBool(QChar c);

// Appends "/" to a non-empty folder path that does not end in a separator ("/", or also "\"
// on Windows). Changes `path` itself and returns the result.
QString includeTrailingBackslash(QString& path);

// A copy of `text` with every TAB replaced by `tabWidth` spaces (removed when `tabWidth` is
// not positive).
QString expandTabs(QStringView text, int tabWidth);

// `text` with its first occurrence of `find` replaced by `insert`; unchanged when `find` is
// empty or does not occur.
QString replaceFirst(const QString& text, const QString& find, const QString& insert);

// A copy of `text` without any occurrence of `c`.
QString removeChar(const QString& text, QChar c);

// A copy of `text` without characters at or below U+0020.
QString removeBlanks(const QString& text);

// The dialogs' background, painted from their paint event: a vertical gradient over the whole
// of `widget` from `top` to `bottom` (by default the dialogs' 0xFFEBDE to 0xD8B4A3).
void paintVerticalGradient(QWidget* widget, TColor top = 0xFFEBDE, TColor bottom = 0xD8B4A3);
