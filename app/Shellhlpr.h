// Shortcut files (".lnk"): our own writer of the published Shell Link binary format, so that
// a shortcut made here opens on a Windows desktop as one made by its shell would.
//
// A file holds the header (with the format's class identifier), a link-information block
// naming the target by its local path, and the description, arguments and icon location as
// counted UTF-16 strings. It has no item-identifier list, no working folder and no hot key.
#pragma once

#include <QByteArray>
#include <QString>

// What one shortcut says. Empty texts are left out of the file.
struct TShellLink {
    QString target; // full path of the file the shortcut starts
    QString description;
    QString arguments;
    QString iconFile; // empty: the link names no icon
    int iconIndex = 0;
};

// The bytes of the shortcut file for `link`. The target's size, times and attributes are
// taken from the file when it exists (zeros otherwise). Empty when a text is too long for the
// format (65535 UTF-16 units at most).
QByteArray shellLinkBytes(const TShellLink& link);

// Writes the shortcut `linkFile` that starts `target` with `arguments`, described by
// `description`, showing icon `iconIndex` of `iconFile` (none when empty). Returns `linkFile`
// on success and an empty string on failure, with the reason in `error` when given. The file
// is made new: a name already taken, by a link that leads nowhere too, fails and stays as it
// was, and a failed write leaves no file behind.
QString CreateShortcut(const QString& target, const QString& linkFile, const QString& description,
                       const QString& arguments, const QString& iconFile, int iconIndex,
                       QString* error = nullptr);
