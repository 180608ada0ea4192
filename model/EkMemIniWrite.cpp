// Writing a document: the size of its text worked out first, then the text written, whole or in
// pieces that are encoded as they fill, and saved through platform::saveFile.
#include "model/EkMemIni.h"

#include "model/EkMemIniPrivate.h"
#include "platform/core/FileSave.h"
#include "platform/core/SysUtils.h"

#include <QBuffer>
#include <QStringEncoder>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

using namespace ekmemini;

namespace {

// --- The writer ------------------------------------------------------------------------------

// Writes the document's text into a buffer. Without a `flush` the buffer holds the whole text
// and what does not fit is counted, not written, so a size mismatch is reported rather than
// overrunning the buffer. With a `flush` the buffer is a piece that is handed on whenever it
// fills, so the whole text never stands in memory at once.
class TextWriter {
public:
    using Flush = std::function<void(const char16_t*, qsizetype)>;

    TextWriter(char16_t* buffer, qsizetype size, Flush flush = {})
        : out_(buffer), room_(size), flush_(std::move(flush)) {}

    void put(const QString& s) { put(units(s), s.size()); }
    void put(char16_t c) { put(&c, 1); }
    void putLineEnd() {
        static constexpr char16_t kCrlf[2] = {kCr, kLf};
        put(kCrlf, 2);
    }
    // Hands the last piece on.
    void finish() {
        if (flush_ && used_ > 0)
            flush_(out_, used_);
        used_ = 0;
    }
    qsizetype written() const { return written_; }
    // Every piece of a line is written (see LineReadBack).
    static bool settled() { return false; }

private:
    void put(const char16_t* s, qsizetype n) {
        written_ += n;
        if (!flush_) {
            if (n > room_ - used_)
                room_ = used_; // nothing more is copied; the count goes on
            else if (n > 0)
                std::memcpy(out_ + used_, s, size_t(n) * sizeof(char16_t));
            used_ += n;
            return;
        }
        while (n > 0) {
            if (used_ == room_)
                drain();
            const qsizetype k = std::min(n, room_ - used_);
            std::memcpy(out_ + used_, s, size_t(k) * sizeof(char16_t));
            used_ += k;
            s += k;
            n -= k;
        }
    }

    // A high surrogate at the end waits for the next piece, so pairs are encoded whole.
    void drain() {
        qsizetype k = used_;
        if (k > 1 && QChar::isHighSurrogate(out_[k - 1]))
            --k;
        flush_(out_, k);
        if (k < used_)
            out_[0] = out_[k];
        used_ -= k;
    }

    char16_t* out_;
    qsizetype room_;
    Flush flush_;
    qsizetype used_ = 0;
    qsizetype written_ = 0;
};

// Whether section `index` is written with its header line. Only a nameless first section goes
// without: its items are the file's lines before the first header. A nameless section anywhere
// else writes "[]", or its lines would join the section before it at the next load. A nameless
// first section writes "[]" as well when it has a comment, which has no other line to stand on
// (a file that begins "[] ;owner" keeps that line), and when it has no items and a nameless
// section follows: that one's "[]" would otherwise begin the text, name the first section at the
// next load and be dropped at the save after, taking its section with it.
bool writesHeader(const TIniSectionVec& sections, int index) {
    const TEkIniSection& section = *sections[index];
    if (!section.name.isEmpty() || !section.comment.isEmpty() || index > 0)
        return true;
    return section.values.count == 0 && sections.count > 1 && sections[1]->name.isEmpty();
}

void writeSection(const TEkIniSection& section, bool header, TextWriter& w) {
    if (header) {
        w.put(u'[');
        w.put(section.name);
        w.put(u']');
        if (!section.comment.isEmpty()) {
            w.put(kSpace);
            w.put(u';');
            w.put(section.comment);
        }
        w.putLineEnd();
    }
    for (const TEkIniVal* item : section.values)
        writeItem(*item, w);
    if (section.values.count > 0 && section.values[section.values.count - 1]->type != itemBlank)
        w.putLineEnd();
}

qsizetype itemSize(const TEkIniVal& item) {
    if (item.type >= itemError || item.type == itemValue) {
        qsizetype n = item.value.size() + 2;
        if (item.type == itemValue)
            n += item.name.size() + 1;
        if (!item.comment.isEmpty())
            n += item.comment.size() + (blankBeforeComment(item.value) ? 2 : 1);
        return n;
    }
    if (writesCommentLine(item.type) && !item.comment.isEmpty())
        return item.comment.size() + 3;
    return 2;
}

qsizetype sectionSize(const TEkIniSection& section, bool header) {
    qsizetype n = 0;
    if (header) {
        n += section.name.size() + 4;
        if (!section.comment.isEmpty())
            n += section.comment.size() + 2;
    }
    for (const TEkIniVal* item : section.values)
        n += itemSize(*item);
    if (section.values.count > 0 && section.values[section.values.count - 1]->type != itemBlank)
        n += 2;
    return n;
}

qsizetype documentSize(const TIniSectionVec& sections) {
    qsizetype n = 0;
    for (int i = 0; i < sections.count; ++i)
        n += sectionSize(*sections[i], writesHeader(sections, i));
    return n;
}

bool writeBytes(QIODevice& stream, const char* data, qint64 n) {
    return n == 0 || stream.write(data, n) == n;
}

} // namespace

// --- Text ------------------------------------------------------------------------------------

int TEkMemIni::itemTextSize(const TEkIniVal& item) {
    return int(itemSize(item));
}

int TEkMemIni::sectionTextSize(int index) const {
    return int(sectionSize(*sections[index], writesHeader(sections, index)));
}

int TEkMemIni::documentTextSize() const {
    return int(documentSize(sections));
}

namespace {
// Writes every section; reports a text that does not have the size computed first.
void writeDocument(const TIniSectionVec& sections, qsizetype expected, TextWriter& w) {
    for (int i = 0; i < sections.count; ++i)
        writeSection(*sections[i], writesHeader(sections, i), w);
    w.finish();
    if (w.written() != expected)
        platform::ShowMessage(QStringLiteral("Memory Error!\r\nNumber of :") +
                              QString::number(w.written() - expected) + QStringLiteral(" Bytes"));
}

// Units of the text handed to an encoder at a time when saving in UTF-8 or ANSI.
constexpr qsizetype kEncodePiece = qsizetype(1) << 16;
} // namespace

QString TEkMemIni::buildText() const {
    const qsizetype n = documentSize(sections);
    if (n == 0)
        return QString();
    QString text(n, Qt::Uninitialized);
    TextWriter w(reinterpret_cast<char16_t*>(text.data()), n);
    writeDocument(sections, n, w);
    text.truncate(std::min(n, w.written()));
    return text;
}

// --- Saving ----------------------------------------------------------------------------------

bool TEkMemIni::SaveToStream(QIODevice& stream, int cp) const {
    if (sections.count == 0) {
        // Nothing to write but the mark of the document's own encoding.
        const QByteArrayView mark = writeBom ? markFor(codePage) : QByteArrayView();
        return writeBytes(stream, mark.data(), mark.size());
    }
    if (cp == codePageUtf16LE || cp == codePageUtf16BE) {
        // The text is the file's body: turned to the file's byte order in place, written after
        // the mark.
        QString text = buildText();
        const QByteArrayView mark = writeBom ? markFor(cp) : QByteArrayView();
        char16_t* u = reinterpret_cast<char16_t*>(text.data());
        if (cp == codePageUtf16LE)
            qToLittleEndian<char16_t>(u, text.size(), u);
        else
            qToBigEndian<char16_t>(u, text.size(), u);
        return writeBytes(stream, mark.data(), mark.size()) &&
               writeBytes(stream, reinterpret_cast<const char*>(u), text.size() * 2);
    }
    // UTF-8 and ANSI: the text is encoded piece by piece into one buffer that also holds the
    // mark, and written at once.
    const qsizetype n = documentSize(sections);
    QByteArray bytes;
    std::vector<char16_t> piece(size_t(std::min(n, kEncodePiece)) + 1);
    if (cp == codePageUtf8) {
        QStringEncoder encoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QByteArrayView mark = writeBom ? kMarkUtf8 : QByteArrayView();
        bytes.resize(mark.size() + encoder.requiredSpace(n));
        if (!mark.isEmpty())
            std::memcpy(bytes.data(), mark.data(), size_t(mark.size()));
        char* out = bytes.data() + mark.size();
        TextWriter w(piece.data(), qsizetype(piece.size()), [&](const char16_t* p, qsizetype k) {
            out = encoder.appendToBuffer(out, QStringView(p, k));
        });
        writeDocument(sections, n, w);
        bytes.truncate(out - bytes.constData());
    } else {
        bytes.reserve(n);
        TextWriter w(piece.data(), qsizetype(piece.size()), [&](const char16_t* p, qsizetype k) {
            bytes.append(platform::ansiEncode(QStringView(p, k)));
        });
        writeDocument(sections, n, w);
    }
    return writeBytes(stream, bytes.constData(), bytes.size());
}

QByteArray TEkMemIni::saveToBytes(int cp) const {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    SaveToStream(buffer, cp);
    return bytes;
}

bool TEkMemIni::SaveToFile(const QString& name, int cp, QString* errorString) {
    const platform::SaveResult saved =
        platform::saveFile(name, [&](QIODevice& file) { return SaveToStream(file, cp); });
    if (!saved) {
        if (errorString)
            *errorString = saved.error;
        return false;
    }
    fileName = name;
    return true;
}
