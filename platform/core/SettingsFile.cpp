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

// Makes the missing folders above `fileName`, each private to the user. False when one could not
// be made.
bool makeFoldersAbove(const QString& fileName) {
    QStringList missing;
    for (QFileInfo folder(QFileInfo(fileName).absolutePath()); !folder.exists() && !folder.isRoot();
         folder.setFile(folder.absolutePath()))
        missing.prepend(folder.absoluteFilePath());
    for (const QString& folder : missing) {
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
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
    : fileName_(QSettings(organization, application).fileName()),
      copyDir_(std::make_unique<QTemporaryDir>()) {
    const QString copy = copyDir_->filePath(QStringLiteral("settings.conf"));
    QFile file(fileName_);
    if (file.open(QIODevice::ReadOnly)) {
        QByteArray bytes = file.readAll();
        text_ = splitSettingsText(bytes);
        struct stat st;
        if (::fstat(file.handle(), &st) == 0)
            ids_ = FileIds{st.st_uid, st.st_gid, unsigned(st.st_mode & 07777)};
        held_ = copyDir_->isValid() && saveFile(copy, text_.unreadable.isEmpty() ? bytes : text_.readable);
        if (!text_.unreadable.isEmpty())
            bytes_ = std::move(bytes);
        text_.readable.clear();
    }
    values_ = std::make_unique<QSettings>(copy, QSettings::IniFormat);
}

SettingsFile::~SettingsFile() = default;

QSettings& SettingsFile::values() {
    return *values_;
}

QString SettingsFile::keepCopy() {
    if (text_.unreadable.isEmpty() || !ids_)
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
        return saveFile(name, bytes_, ids_) ? name : QString();
    }
    return {};
}

bool SettingsFile::write() {
    // Values that could not be held would be lost from the file.
    if (!held_ || (!text_.unreadable.isEmpty() && keepCopy().isEmpty()))
        return false;
    values_->sync();
    if (values_->status() != QSettings::NoError)
        return false;
    QFile copy(values_->fileName());
    QByteArray bytes;
    if (copy.exists()) {
        if (!copy.open(QIODevice::ReadOnly))
            return false;
        bytes = copy.readAll();
    }
    if (!makeFoldersAbove(fileName_) || !saveFile(fileName_, bytes))
        return false;
    // The file is sound now.
    text_ = {};
    bytes_.clear();
    return true;
}

} // namespace platform
