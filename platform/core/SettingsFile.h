// The program's settings file (QSettings' native format, the user's scope), read in full even
// when some of its lines cannot be read. QSettings reports such a file as a FormatError and
// reads a header without "]" as a section, so the values after it leave their group; here a
// line that cannot be read costs only itself, and a write never drops it unseen: the file as
// it was is copied beside it first.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QSettings>
#include <QString>
#include <memory>

class QTemporaryDir;

namespace platform {

// A line of a settings file that QSettings' INI reader cannot read: a section header without
// "]", or a line that is neither a header nor a comment and holds no "=" (outside quotes).
struct UnreadableLine {
    int number = 0; // 1-based; "\r\n", "\n" and "\r" each end a line
    QString text;   // without its line break, decoded as UTF-8
};

// A settings text split into what QSettings reads and what it cannot. `readable` is the text
// with each unreadable line taken out whole, so that the lines after it read as if it were
// not there. A line opens a quote or continues past its end only as QSettings' reader sees it;
// when such a joined line cannot be read, only its first physical line is taken out.
struct SettingsText {
    QByteArray readable;
    QList<UnreadableLine> unreadable;
};
SettingsText splitSettingsText(QByteArrayView text);

class SettingsFile {
public:
    // Reads the settings of `organization`'s `application` as QSettings(organization,
    // application) finds them. A temporary folder is made only for a file with unreadable lines.
    SettingsFile(const QString& organization, const QString& application);
    ~SettingsFile();
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    QString fileName() const;
    // The lines of the file that cannot be read; empty for a sound or missing file.
    const QList<UnreadableLine>& unreadableLines() const { return text_.unreadable; }

    // The values to read and, once the file is sound (see repair), to write. For a file with
    // unreadable lines they are those of its readable lines, held in a temporary copy: what
    // is written to them then reaches nothing.
    QSettings& values();
    // True when the file (or, when it is missing, its folder) may be written. Makes the missing
    // folders above the file first, each private to the user (0700), as the desktop's rules
    // want a user's configuration folders: QSettings would make them readable by everyone.
    bool isWritable() const;

    // A byte-for-byte copy of the file as it was read, beside it, with the file's permission
    // bits: the first of fileName() + ".bak", ".bak2" ... ".bak9" that is free or already holds
    // these bytes (left as it is). Returns its name; empty when no copy could be made. Nothing
    // for a sound file (returns empty).
    QString keepCopy() const;
    // Makes a file with unreadable lines sound before values() writes to it: keeps a copy
    // (keepCopy), then writes the readable lines over the file. True when the file is sound
    // afterwards (at once for a sound file); false leaves the file as it was, and then nothing
    // may be written to values().
    bool repair();

private:
    QString organization_;
    QString application_;
    QByteArray bytes_;  // the file as read, when it had unreadable lines
    unsigned mode_ = 0; // its permission bits, then
    SettingsText text_;
    std::unique_ptr<QSettings> file_;
    std::unique_ptr<QTemporaryDir> readableDir_;
    std::unique_ptr<QSettings> readable_; // the readable lines, in readableDir_
};

} // namespace platform
