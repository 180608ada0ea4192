#include "platform/core/SettingsFile.h"

#include "platform/core/FileSave.h"
#include "platform/core/SysUtils.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool isLineBreak(char c) {
    return c == '\n' || c == '\r';
}

// QSettings' white space: no vertical tab or form feed.
bool isSpace(char c) {
    return c == ' ' || c == '\t' || isLineBreak(c);
}

// Reads the lines of a settings text as QSettings' INI reader splits them: white space and
// comment lines (";") go first; a line ends at a line break or a ";" outside quotes, a quote
// carries it over line breaks and a backslash takes the next character (a line break too) as it
// is. A line that cannot be read is taken out alone and the lines after it are read again from
// the next physical line, so a walk along a line may cover text that an earlier walk covered;
// here no character is read more than a few times, however the lines overlap.
//
// The characters a walk steps on, rather than over (those a backslash takes), are the same for
// every walk once they meet: a line starts after white space, never at a character a backslash
// takes or at the second of a pair of line breaks it takes, so every walk steps on the starts of
// the lines after its own start. A walk is outside quotes where as many quotes stand before that
// place as before its start, counted on the places one walk from the text's start steps on.
// Where a line ends, and where its first "=" outside quotes stands, is therefore the first place
// of one of two parities after its start: a cursor per parity finds it, and since lines start
// ever further on, each cursor only moves forward.
class LineReader {
public:
    explicit LineReader(QByteArrayView text) : text_(text) {}

    struct Line {
        qsizetype start = 0; // the text's size when no line is left
        qsizetype end = 0;   // at a line break or ";" outside quotes, or the text's end
        qsizetype mark = 0;  // a header's first "]", another line's first "=" outside quotes; `end`
                             // when it has none: the line cannot be read
        bool header = false;
        bool readable() const { return mark < end; }
    };

    // Reads the line from `pos`, after the white space and comment lines there, each of whose
    // ";" is passed to `comment`. Moves `pos` to the line's end. `pos` only moves forward from
    // one call to the next.
    template <typename Comment> Line read(qsizetype& pos, Comment comment) {
        for (;;) {
            while (pos < text_.size() && isSpace(at(pos)))
                ++pos;
            if (pos == text_.size() || at(pos) != ';')
                break;
            comment(pos);
            pos = nextLineStart(pos);
        }
        Line line{pos, pos, pos};
        if (pos == text_.size())
            return line;
        while (walk_.pos < line.start)
            step(walk_);
        const bool odd = walk_.odd;
        line.end = pos = seek(ends_[odd], line.start, odd, [](char c) { return isLineBreak(c) || c == ';'; });
        line.header = at(line.start) == '[';
        if (line.header) {
            if (bracket_ < line.start)
                for (bracket_ = line.start; bracket_ < text_.size() && at(bracket_) != ']';)
                    ++bracket_;
            line.mark = bracket_;
        } else {
            line.mark = seek(equals_[odd], line.start, odd, [](char c) { return c == '='; });
        }
        line.mark = std::min(line.mark, line.end);
        return line;
    }

    // Where the physical line after the one at `pos` starts.
    qsizetype nextLineStart(qsizetype pos) {
        while (pos < text_.size() && !isLineBreak(at(pos)))
            ++pos;
        if (pos < text_.size() && at(pos++) == '\r' && pos < text_.size() && at(pos) == '\n')
            ++pos;
        return pos;
    }

    char at(qsizetype pos) {
        ++steps_;
        return text_[pos];
    }
    // The characters read so far, each time it was read.
    qsizetype steps() const { return steps_; }

private:
    // A place a walk from the text's start steps on, and whether an odd number of quotes stand
    // on such places before it.
    struct Cursor {
        qsizetype pos = 0;
        bool odd = false;
    };

    void step(Cursor& cursor) {
        const char c = at(cursor.pos++);
        if (c == '"') {
            cursor.odd = !cursor.odd;
        } else if (c == '\\' && cursor.pos < text_.size()) {
            const char escaped = at(cursor.pos++);
            // "\r\n" and "\n\r" after a backslash are one line break.
            if (cursor.pos < text_.size() && isLineBreak(escaped) && isLineBreak(at(cursor.pos)) &&
                at(cursor.pos) != escaped)
                ++cursor.pos;
        }
    }

    // Moves `cursor` to the first place from `start` on that holds a character `found` takes,
    // outside quotes for the line starting at `start`, whose parity is `odd`; to the text's end
    // when there is none. Returns its place.
    template <typename Found> qsizetype seek(Cursor& cursor, qsizetype start, bool odd, Found found) {
        while (cursor.pos < text_.size() &&
               (cursor.pos < start || cursor.odd != odd || !found(at(cursor.pos))))
            step(cursor);
        return cursor.pos;
    }

    QByteArrayView text_;
    Cursor walk_;            // at the start of the line read last
    Cursor ends_[2];         // per parity: where the line read last of that parity ends
    Cursor equals_[2];       // per parity: the first "=" outside quotes from that line's start on
    qsizetype bracket_ = -1; // the first "]" from the start of the last line read that starts with "["
    qsizetype steps_ = 0;
};

// `line` as a left-out line's text: decoded, and cut after kLeftOutTextKept characters.
// Only its start is decoded: a character takes at most four bytes, so that start holds those
// kept and one more, which tells that the text goes on.
QString keptText(QByteArrayView line) {
    constexpr qsizetype kStart = 4 * (kLeftOutTextKept + 1);
    QString text = QString::fromUtf8(line.first(std::min(line.size(), kStart)));
    if (text.size() <= kLeftOutTextKept)
        return text;
    // A pair of surrogates stays whole or goes.
    text.truncate(text[kLeftOutTextKept - 1].isHighSurrogate() ? kLeftOutTextKept - 1 : kLeftOutTextKept);
    return text + u'\u2026';
}

// Makes the missing folders above `fileName`, each private to the user (0700) and, as the
// settings file keeps its owner, given the owner and group of the folder it is made in: root
// making one in a user's folder (sudo with the user's home) gives it to that user. Each is made
// and given away through handles, so that no name swapped meanwhile (for a link, say) leads the
// change of owner elsewhere. Returns the owner and group of the file's folder, with the bits a
// new settings file takes (0600); none when a folder could not be made or looked at.
std::optional<FileIds> makeFoldersAbove(const QString& fileName) {
    QStringList missing;
    QFileInfo folder(QFileInfo(fileName).absolutePath());
    for (; !folder.exists() && !folder.isRoot(); folder.setFile(folder.absolutePath()))
        missing.prepend(folder.fileName());
    int parent =
        ::open(QFile::encodeName(folder.absoluteFilePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st;
    for (const QString& name : missing) {
        const QByteArray encoded = QFile::encodeName(name);
        int child = -1;
        bool made = false;
        if (parent >= 0 && ::fstat(parent, &st) == 0) {
            made = ::mkdirat(parent, encoded.constData(), 0700) == 0;
            // One made by another meanwhile is used as it stands.
            if (made || errno == EEXIST)
                child =
                    ::openat(parent, encoded.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        // Only root may give a folder away: another user's stays their own.
        if (made && child >= 0 && ::fchown(child, st.st_uid, st.st_gid) != 0 && errno != EPERM) {
            ::close(child);
            child = -1;
        }
        if (parent >= 0)
            ::close(parent);
        parent = child;
    }
    const bool known = parent >= 0 && ::fstat(parent, &st) == 0;
    if (parent >= 0)
        ::close(parent);
    return known ? std::optional(FileIds{st.st_uid, st.st_gid, 0600}) : std::nullopt;
}

// The name of the file QSettings(organization, application) reads, found without reading it: a
// QSettings reads every file it names as it is made, whatever that is. One made for an
// organization whose folder name no file system takes (more than 255 bytes) finds no file, and
// its name differs from ours only in that folder.
QString settingsFileName(const QString& organization, const QString& application) {
    const QString probe(300, u'x');
    QString name = QSettings(QSettings::NativeFormat, QSettings::UserScope, probe, application).fileName();
    return name.replace(name.lastIndexOf(probe), probe.size(), organization);
}

constexpr qint64 kPiece = 64 * 1024;

// Copies `from` to `to` from its start, a piece at a time, no more than `size` bytes, the size it
// had as the copy began: a file that grows meanwhile, or a file of the system's that tells no
// size, has no copy.
bool copyInPieces(QFile& from, qint64 size, QIODevice& to) {
    QByteArray piece(kPiece, Qt::Uninitialized);
    if (!from.seek(0))
        return false;
    for (qint64 done = 0;;) {
        const qint64 n = from.read(piece.data(), kPiece);
        if (n <= 0)
            return n == 0;
        done += n;
        if (done > size || to.write(piece.constData(), n) != n)
            return false;
    }
}

// True when `a` and `b` hold the same bytes, compared a piece at a time.
bool sameBytes(QFile& a, QFile& b) {
    if (a.size() != b.size() || !a.seek(0) || !b.seek(0))
        return false;
    QByteArray pieceA(kPiece, Qt::Uninitialized);
    QByteArray pieceB(kPiece, Qt::Uninitialized);
    for (qint64 left = a.size(); left > 0;) {
        const qint64 n = std::min(left, kPiece);
        if (a.read(pieceA.data(), n) != n || b.read(pieceB.data(), n) != n ||
            std::memcmp(pieceA.constData(), pieceB.constData(), size_t(n)) != 0)
            return false;
        left -= n;
    }
    return true;
}

} // namespace

SettingsText splitSettingsText(QByteArrayView text) {
    SettingsText result;
    LineReader reader(text);
    // The physical line at `lineStart`, numbered `number`, ends where `nextLine` starts; both
    // move forward only.
    int number = 1;
    qsizetype lineStart = 0;
    qsizetype nextLine = reader.nextLineStart(0);
    const auto moveTo = [&](qsizetype pos) {
        for (; nextLine <= pos && nextLine < text.size(); ++number) {
            lineStart = nextLine;
            nextLine = reader.nextLineStart(lineStart);
        }
    };
    // Lists the physical line numbered `at` that starts at `start` and ends where `end` starts,
    // among the first kLeftOutLinesKept in order, and counts it.
    const auto leaveOut = [&](int at, qsizetype start, qsizetype end, qsizetype& count) {
        ++count;
        auto place = std::find_if(result.leftOut.begin(), result.leftOut.end(),
                                  [at](const LeftOutLine& line) { return line.number > at; });
        if (place == result.leftOut.end() && result.leftOut.size() == kLeftOutLinesKept)
            return;
        while (end > start && isLineBreak(reader.at(end - 1)))
            --end;
        result.leftOut.insert(place, {at, keptText(text.sliced(start, end - start))});
        if (result.leftOut.size() > kLeftOutLinesKept)
            result.leftOut.removeLast();
    };
    int lastLeftOut = 0; // the number of the last line left out in order
    const auto leaveOutLineAt = [&](qsizetype pos) {
        moveTo(pos);
        if (number != lastLeftOut)
            leaveOut(number, lineStart, nextLine, result.unkeptCount);
        lastLeftOut = number;
    };
    // The settings read so far, named as QSettings names them (as far as told without
    // decoding them): "section/key", or "key" in the general section. Only as many as are read.
    struct KeyLine {
        int number;
        qsizetype start;
        bool leftOut; // already, for a comment on its line
    };
    QHash<QByteArray, KeyLine> keys;
    QByteArray section; // as a prefix of names: empty, or ending in "/"
    QByteArray lastKey; // the name of the last setting read, and the number of its line
    int lastKeyNumber = 0;
    const auto comment = [&](qsizetype pos) {
        // QSettings reads past a comment, and does not write it back.
        leaveOutLineAt(pos);
        if (number == lastKeyNumber)
            keys[lastKey].leftOut = true;
    };
    qsizetype kept = 0; // text before it is in `readable` or taken out
    for (qsizetype pos = 0; pos < text.size();) {
        const LineReader::Line line = reader.read(pos, comment);
        if (line.start == text.size())
            break;
        moveTo(line.start);
        if (!line.readable()) {
            leaveOut(number, lineStart, nextLine, result.unreadableCount);
            lastLeftOut = number;
            result.readable.append(text.sliced(kept, lineStart - kept));
            kept = nextLine;
            // Only the line itself goes: the lines after it are read again from their start.
            pos = nextLine;
            continue;
        }
        if (++result.settingsLines > kMostSettingsLines)
            continue; // the text is not read: no need to tell its settings apart
        if (line.header) {
            // Text after the "]" is not part of the section's name, and is not written back.
            for (qsizetype i = line.mark + 1; i < line.end; ++i) {
                if (!isSpace(reader.at(i))) {
                    leaveOutLineAt(line.start);
                    break;
                }
            }
            section = text.sliced(line.start + 1, line.mark - line.start - 1).trimmed().toByteArray();
            if (section.compare("general", Qt::CaseInsensitive) == 0)
                section.clear();
            else
                section =
                    (section.compare("%general", Qt::CaseInsensitive) == 0 ? section.mid(1) : section) + '/';
            continue;
        }
        result.nameBytes += section.size() + (line.mark - line.start);
        if (result.nameBytes > kMostSettingsNameBytes)
            continue; // not read either
        // Of two settings of one name QSettings keeps the later, and writes back only that.
        lastKey = section + text.sliced(line.start, line.mark - line.start).trimmed().toByteArray();
        lastKey.replace('\\', '/');
        lastKeyNumber = number;
        const auto earlier = keys.constFind(lastKey);
        if (earlier != keys.constEnd() && !earlier->leftOut)
            leaveOut(earlier->number, earlier->start, reader.nextLineStart(earlier->start),
                     result.unkeptCount);
        keys.insert(lastKey, {number, lineStart, false});
    }
    result.readable.append(text.sliced(kept));
    result.keys = keys.size();
    result.steps = reader.steps();
    return result;
}

SettingsFile::SettingsFile(const QString& organization, const QString& application)
    : fileName_(settingsFileName(organization, application)), copyDir_(std::make_unique<QTemporaryDir>()) {
    // Without a folder of its own, QSettings is given a name no file can have (below a device):
    // it reads nothing there and writes nowhere, where an empty name would write beside the
    // working folder's files.
    QString copy = QStringLiteral("/dev/null/settings.conf");
    if (copyDir_->isValid()) {
        copy = copyDir_->filePath(QStringLiteral("settings.conf"));
        read(copy);
    } else {
        notHeldReason_ = copyDir_->errorString();
    }
    // QSettings reads its file as it is made: once the copy is written.
    values_ = std::make_unique<QSettings>(copy, QSettings::IniFormat);
    // Names the split cannot tell apart without decoding them: QSettings keeps one of each.
    if (const qsizetype overridden = text_.keys - values_->allKeys().size(); overridden > 0)
        text_.unkeptCount += overridden;
}

void SettingsFile::read(const QString& copy) {
    auto file = std::make_unique<QFile>(fileName_);
    const OpenOutcome opened = openForReading(*file, QIODevice::Unbuffered, &notReadReason_);
    if (opened != OpenOutcome::Opened) {
        if (opened == OpenOutcome::Missing)
            notReadReason_.clear();
        return;
    }
    struct stat st;
    if (::fstat(file->handle(), &st) != 0) {
        notReadReason_ = qt_error_string(errno);
        return;
    }
    ids_ = FileIds{st.st_uid, st.st_gid, unsigned(st.st_mode & 07777)};
    tooLarge_ = st.st_size > kLargestSettingsFile;
    QByteArray bytes;
    if (!tooLarge_) {
        // One byte more tells a file that grew past the limit since it was looked at.
        bytes = file->read(kLargestSettingsFile + 1);
        tooLarge_ = bytes.size() > kLargestSettingsFile;
        if (file->error() != QFileDevice::NoError) {
            notReadReason_ = file->errorString();
            return;
        }
    }
    if (!tooLarge_) {
        text_ = splitSettingsText(bytes);
        tooLarge_ = text_.tooLarge();
    }
    file_ = std::move(file);
    if (tooLarge_) {
        text_ = {};
        return;
    }
    const SaveResult held = saveFile(copy, text_.unreadableCount == 0 ? bytes : text_.readable);
    if (!held)
        notHeldReason_ = held.error;
    text_.readable.clear();
}

SettingsFile::~SettingsFile() = default;

QSettings& SettingsFile::values() {
    return *values_;
}

bool SettingsFile::needsCopy() const {
    return tooLarge_ || valuesLeftOut_ || leftOutLineCount() > 0;
}

QString SettingsFile::keepCopy() {
    if (!needsCopy() || !file_ || !ids_)
        return {};
    const qint64 size = file_->size();
    constexpr int kCopies = 9;
    for (int n = 1; n <= kCopies; ++n) {
        const QString name = fileName() + QStringLiteral(".bak") + (n == 1 ? QString() : QString::number(n));
        QFile existing(name);
        switch (openForReading(existing, QIODevice::Unbuffered)) {
        case OpenOutcome::Missing:
            if (!saveFile(
                    name, [&](QIODevice& copy) { return copyInPieces(*file_, size, copy); }, ids_))
                return {};
            return copyName_ = name;
        case OpenOutcome::Opened:
            if (sameBytes(*file_, existing))
                return copyName_ = name;
            break;
        default:
            break;
        }
    }
    return {};
}

std::optional<QByteArray> SettingsFile::composed() {
    values_->sync();
    if (values_->status() != QSettings::NoError)
        return std::nullopt;
    QFile copy(values_->fileName());
    if (!copy.exists())
        return QByteArray();
    if (!copy.open(QIODevice::ReadOnly))
        return std::nullopt;
    return copy.readAll();
}

SettingsFile::WriteOutcome SettingsFile::write(const QStringList& kept) {
    // Values that could not be held would be lost from the file.
    if (!notReadReason_.isEmpty() || !notHeldReason_.isEmpty() || (needsCopy() && keepCopy().isEmpty()))
        return WriteOutcome::NotWritten;
    std::optional<QByteArray> bytes = composed();
    // QSettings writes neither comments nor lines it cannot read; the file's own lines of that kind
    // were told when it was read.
    const auto readWhole = [](const QByteArray& text) {
        if (text.size() > kLargestSettingsFile)
            return false;
        const SettingsText split = splitSettingsText(text);
        return !split.tooLarge() && split.unreadableCount == 0;
    };
    WriteOutcome outcome = WriteOutcome::Written;
    if (bytes && !readWhole(*bytes)) {
        valuesLeftOut_ = true;
        if (file_ && keepCopy().isEmpty())
            return WriteOutcome::TooLarge;
        const QSet<QString> keep(kept.begin(), kept.end());
        for (const QString& key : values_->allKeys()) {
            if (!keep.contains(key))
                values_->remove(key);
        }
        bytes = composed();
        if (bytes && !readWhole(*bytes))
            return WriteOutcome::NotWritten;
        outcome = WriteOutcome::OthersLeftOut;
    }
    // A new file takes the owner and group of its folder, as the folders do; one that is there
    // keeps its own.
    const std::optional<FileIds> folder = makeFoldersAbove(fileName_);
    if (!bytes || !folder || !saveFile(fileName_, *bytes, ids_ ? std::nullopt : folder))
        return WriteOutcome::NotWritten;
    // The file is sound now.
    text_ = {};
    tooLarge_ = false;
    valuesLeftOut_ = false;
    file_.reset();
    return outcome;
}

} // namespace platform
