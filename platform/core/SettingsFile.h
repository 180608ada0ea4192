// The program's settings file (QSettings' native format, the user's scope). Only a small
// regular file is read: QSettings itself would wait for ever on a pipe, and read a device or a
// file of any size whole into memory. QSettings writes a file as a new one of the writer's own,
// so a settings file written by root (sudo with the user's home) would become root's: here
// QSettings works on a private copy, whose bytes are saved over the file like a document
// (platform::saveFile), keeping its owner, group and permission bits. The file is read in full
// even when some of its lines cannot be read. QSettings reports such a file as a FormatError and
// reads a header without "]" as a section, so the values after it leave their group; here a line
// that cannot be read costs only itself. QSettings writes back only the settings it read: a write
// never drops a line unseen, neither one it cannot read nor one it does not keep (a comment,
// say): the file as it was is copied beside it first. And what is written, is read.
#pragma once

#include "platform/core/FileSave.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QFile;
class QTemporaryDir;

namespace platform {

// The largest settings file that is read: the editor's own settings take a few KB.
constexpr qint64 kLargestSettingsFile = 1 << 20;
// The most lines of settings (section headers and values) that are read: the editor's own take a
// few dozen. QSettings holds each it reads in a few hundred bytes, this many in about 1 MB.
constexpr qsizetype kMostSettingsLines = 4096;
// The most bytes the names of the settings read may take, each with its section's name before
// it, as QSettings holds them: a long section name before many settings would take gigabytes of a
// file of 1 MiB. The editor's own take a few hundred.
constexpr qint64 kMostSettingsNameBytes = kLargestSettingsFile;

// A line of a settings file that QSettings' INI reader cannot read, or reads but does not write
// back (see SettingsText).
struct LeftOutLine {
    int number = 0; // 1-based; "\r\n", "\n" and "\r" each end a line
    QString text;   // without its line break, decoded as UTF-8; see kLeftOutTextKept
};

// Of the lines left out, only the first kLeftOutLinesKept are kept, and of each only the first
// kLeftOutTextKept characters, then "…": enough to tell of them, while a hostile file of half a
// million such lines costs no more than a sound one.
constexpr int kLeftOutLinesKept = 5;
constexpr int kLeftOutTextKept = 200;

// A settings text split into what QSettings reads and what it cannot. `readable` is the text
// with each unreadable line taken out whole, so that the lines after it read as if it were
// not there: a section header without "]", or a line that is neither a header nor a comment and
// holds no "=" (outside quotes). A line opens a quote or continues past its end only as
// QSettings' reader sees it; when such a joined line cannot be read, only its first physical
// line is taken out. The lines QSettings reads but does not write back stay in `readable`: a
// line that holds a comment (";" outside quotes), a section header with text after its "]", and
// a setting that a later one of the same name overrides (names told apart as QSettings does,
// but without decoding "%" escapes or UTF-8: `keys` may count more names than QSettings reads).
// The split takes time linear in the text's size, however many lines a joined line spans.
struct SettingsText {
    QByteArray readable;
    QList<LeftOutLine> leftOut;    // the first kLeftOutLinesKept of both kinds, in order
    qsizetype unreadableCount = 0; // the lines taken out
    qsizetype unkeptCount = 0;     // the lines read but not written back
    qsizetype settingsLines = 0;   // the readable lines, section headers and values, each joined
                                   // line once
    qsizetype keys = 0;            // the names of settings, each once; counted up to kMostSettingsLines lines
    qint64 nameBytes = 0;          // the bytes of the settings' names, each with its section's name
                                   // before it; counted as far as `settingsLines`
    qsizetype steps = 0; // the characters read, each as often as it was: a few times the text's size
    // True when the text holds more settings than are read (kMostSettingsLines,
    // kMostSettingsNameBytes); its size is the caller's to check.
    bool tooLarge() const { return settingsLines > kMostSettingsLines || nameBytes > kMostSettingsNameBytes; }
};
SettingsText splitSettingsText(QByteArrayView text);

class SettingsFile {
public:
    // Reads the settings of `organization`'s `application` from the file that QSettings(
    // organization, application) names, into a copy in a temporary folder of its own. The file
    // is opened without waiting and read only when it is a regular file of at most
    // kLargestSettingsFile bytes; what of it is read is held in memory once, the rest never.
    SettingsFile(const QString& organization, const QString& application);
    ~SettingsFile();
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    QString fileName() const { return fileName_; }
    // The first lines of the file that cannot be read or are not written back (see
    // SettingsText, kLeftOutLinesKept); empty for a sound or missing file. leftOutLineCount()
    // counts them all, also those of a name told apart only by QSettings, which are not listed.
    const QList<LeftOutLine>& leftOutLines() const { return text_.leftOut; }
    qsizetype leftOutLineCount() const { return text_.unreadableCount + text_.unkeptCount; }
    // Why the file was not read (a folder, a pipe, a device or a socket, or a link to one; or the
    // system's reason); empty when it was read or is missing. Such a file is never written: the
    // settings of this run are not kept, and the file, node or link is left as it was.
    const QString& notReadReason() const { return notReadReason_; }
    // True for a file larger than kLargestSettingsFile or with more than kMostSettingsLines lines
    // of settings. It is not read, as if none of its lines could be: values() start empty, and
    // write() writes over it only once it is copied.
    bool isTooLarge() const { return tooLarge_; }
    // Why no private copy could hold the values (the system's reason: no folder of its own could
    // be made in the temporary folder, QDir::tempPath(), or the copy could not be written there);
    // empty when it holds them. values() then start empty and write() writes nothing: the
    // settings of this run are not kept.
    const QString& notHeldReason() const { return notHeldReason_; }

    // The values to read and to change: those of the file's readable lines, held in the copy.
    // What is written to them reaches the file only through write().
    QSettings& values();

    // True for a file with lines left out or one too large, or after requireCopy(): write()
    // writes over it only once a copy of it is kept.
    bool needsCopy() const;
    // Tells that the file holds a value its reader leaves out, which a write would lose.
    void requireCopy() { valuesLeftOut_ = true; }
    // For a file that needs one: a byte-for-byte copy of it, beside it, with its owner, group
    // and permission bits: the first of fileName() + ".bak", ".bak2" ... ".bak9" that is free or
    // is a regular file that already holds these bytes (left as it is). The file is copied and
    // compared in pieces, never whole in memory; one that grows as it is copied has no copy.
    // Returns the copy's name; empty when no copy could be made, and for a file that needs none.
    QString keepCopy();
    // The name of the copy keepCopy() made or found; empty before.
    const QString& copyName() const { return copyName_; }

    enum class WriteOutcome {
        Written,       // the file holds values()
        OthersLeftOut, // it holds only the values named in `kept`, the file as it was kept as copyName()
        TooLarge,      // not written: it would be too large, and no copy of the file could be kept
        NotWritten,    // not written for another reason
    };
    // Writes values() over the file through platform::saveFile; a file that needs a copy only
    // once one is kept (keepCopy), one not read never. What it writes, it reads: when the values
    // would make a file larger than kLargestSettingsFile, or with more than kMostSettingsLines
    // lines of settings, or with a line it cannot read, those not named in `kept` give way once a
    // copy of the file is kept (OthersLeftOut, else TooLarge); the rest must make a file it
    // reads. Makes the missing folders above the file first, each private to the user (0700), as
    // the desktop's rules want a user's configuration folders, and each, like a new file (0600),
    // given the owner and group of the folder it is made in, as a file that is there keeps its
    // own: root leaves a user's folders the user's. The file is as it was unless the outcome is
    // Written or OthersLeftOut.
    WriteOutcome write(const QStringList& kept = {});

private:
    // Reads the file, when it may be read, and writes what of it QSettings can read to `copy`.
    void read(const QString& copy);
    // The bytes QSettings writes for values(); none when it cannot write them.
    std::optional<QByteArray> composed();

    QString fileName_;
    QString notReadReason_;
    QString notHeldReason_;
    bool tooLarge_ = false;
    bool valuesLeftOut_ = false;
    std::unique_ptr<QFile> file_; // the file as read, open, for keepCopy
    std::optional<FileIds> ids_;  // its owner, group and permission bits, then
    SettingsText text_;
    QString copyName_;
    std::unique_ptr<QTemporaryDir> copyDir_;
    std::unique_ptr<QSettings> values_; // over the copy, in copyDir_
};

} // namespace platform
