#include "platform/core/SettingsFile.h"

#include "platform/core/FileSave.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <cerrno>
#include <sys/stat.h>

namespace platform {

namespace {

bool isLineBreak(char c) {
    return c == '\n' || c == '\r';
}

// QSettings' white space: no vertical tab or form feed.
bool isSpace(char c) {
    return c == ' ' || c == '\t' || isLineBreak(c);
}

// Where the physical line after the one at `pos` starts.
qsizetype nextLineStart(QByteArrayView text, qsizetype pos) {
    while (pos < text.size() && !isLineBreak(text[pos]))
        ++pos;
    if (pos < text.size() && text[pos++] == '\r' && pos < text.size() && text[pos] == '\n')
        ++pos;
    return pos;
}

// Reads one line from `pos` as QSettings' INI reader splits them: white space and comment
// lines (";") go first; a line ends at a line break or a ";" outside quotes, a quote carries it
// over line breaks and a backslash takes the next character (a line break too) as it is.
// Returns the line's start (text.size() when none is left), moves `pos` past it and tells
// whether it can be read.
qsizetype readLine(QByteArrayView text, qsizetype& pos, bool& readable) {
    for (;;) {
        while (pos < text.size() && isSpace(text[pos]))
            ++pos;
        if (pos == text.size() || text[pos] != ';')
            break;
        pos = nextLineStart(text, pos);
    }
    const qsizetype start = pos;
    bool quoted = false;
    bool equals = false;
    while (pos < text.size()) {
        const char c = text[pos];
        if (!quoted && (isLineBreak(c) || c == ';'))
            break;
        ++pos;
        if (c == '\\' && pos < text.size()) {
            const char escaped = text[pos++];
            // "\r\n" and "\n\r" after a backslash are one line break.
            if (pos < text.size() && isLineBreak(escaped) && isLineBreak(text[pos]) && text[pos] != escaped)
                ++pos;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == '=' && !quoted) {
            equals = true;
        }
    }
    const QByteArrayView line = text.sliced(start, pos - start);
    readable = line.startsWith('[') ? line.contains(']') : equals;
    return start;
}

} // namespace

SettingsText splitSettingsText(QByteArrayView text) {
    SettingsText result;
    qsizetype kept = 0; // text before it is in `readable` or taken out
    qsizetype pos = 0;
    int number = 1; // of the line at `counted`
    qsizetype counted = 0;
    while (pos < text.size()) {
        bool readable = false;
        const qsizetype start = readLine(text, pos, readable);
        if (readable || start == text.size())
            continue;
        // A line starts after a line break: only white space stands before `start` on its line.
        qsizetype lineStart = start;
        while (lineStart > 0 && !isLineBreak(text[lineStart - 1]))
            --lineStart;
        for (; counted < lineStart; counted = nextLineStart(text, counted))
            ++number;
        const qsizetype lineEnd = nextLineStart(text, start);
        qsizetype textEnd = lineEnd;
        while (textEnd > lineStart && isLineBreak(text[textEnd - 1]))
            --textEnd;
        result.unreadable.append({number, QString::fromUtf8(text.sliced(lineStart, textEnd - lineStart))});
        result.readable.append(text.sliced(kept, lineStart - kept));
        kept = lineEnd;
        // Only the line itself goes: the lines after it are read again from their start.
        pos = lineEnd;
    }
    result.readable.append(text.sliced(kept));
    return result;
}

SettingsFile::SettingsFile(const QString& organization, const QString& application)
    : organization_(organization), application_(application),
      file_(std::make_unique<QSettings>(organization, application)) {
    // Read here rather than asked of QSettings: it reports a FormatError only when it reads the
    // file, and it reads a file it has read before in this process only once it has changed.
    QFile file(file_->fileName());
    if (!file.open(QIODevice::ReadOnly))
        return;
    bytes_ = file.readAll();
    text_ = splitSettingsText(bytes_);
    if (text_.unreadable.isEmpty()) {
        bytes_.clear();
        text_.readable.clear();
        return;
    }
    struct stat st;
    mode_ = ::fstat(file.handle(), &st) == 0 ? unsigned(st.st_mode & 0777) : 0600;
    readableDir_ = std::make_unique<QTemporaryDir>();
    const QString copy = readableDir_->filePath(QStringLiteral("readable.conf"));
    if (readableDir_->isValid() && saveFile(copy, text_.readable))
        readable_ = std::make_unique<QSettings>(copy, QSettings::IniFormat);
}

SettingsFile::~SettingsFile() = default;

QString SettingsFile::fileName() const {
    return file_->fileName();
}

QSettings& SettingsFile::values() {
    return text_.unreadable.isEmpty() || !readable_ ? *file_ : *readable_;
}

bool SettingsFile::isWritable() const {
    QStringList missing;
    for (QFileInfo folder(QFileInfo(fileName()).absolutePath()); !folder.exists() && !folder.isRoot();
         folder.setFile(folder.absolutePath()))
        missing.prepend(folder.absoluteFilePath());
    for (const QString& folder : missing) {
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return file_->isWritable();
}

QString SettingsFile::keepCopy() const {
    if (text_.unreadable.isEmpty())
        return {};
    constexpr int kCopies = 9;
    for (int n = 1; n <= kCopies; ++n) {
        const QString name = fileName() + QStringLiteral(".bak") + (n == 1 ? QString() : QString::number(n));
        if (QFileInfo::exists(name)) {
            QFile existing(name);
            if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes_)
                return name;
            continue;
        }
        return saveFile(name, bytes_, mode_) ? name : QString();
    }
    return {};
}

bool SettingsFile::repair() {
    if (text_.unreadable.isEmpty())
        return true;
    if (keepCopy().isEmpty() || !saveFile(fileName(), text_.readable))
        return false;
    text_ = {};
    readable_.reset();
    // Read again: the new QSettings finds the file changed and drops what it had read of it.
    file_ = std::make_unique<QSettings>(organization_, application_);
    return file_->status() == QSettings::NoError;
}

} // namespace platform
