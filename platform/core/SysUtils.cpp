#include "platform/core/SysUtils.h"

#include <QCollator>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QtDebug>

namespace platform {

namespace {
MessageSink& sinkSlot() {
    static MessageSink sink;
    return sink;
}
} // namespace

MessageSink setMessageSink(MessageSink sink) {
    MessageSink previous = std::move(sinkSlot());
    sinkSlot() = std::move(sink);
    return previous;
}

void ShowMessage(const QString& text) {
    if (const MessageSink& sink = sinkSlot())
        sink(text);
    else
        qWarning().noquote() << text;
}

const char* ansiCodePageName() { return "windows-1252"; }

QString ansiDecode(QByteArrayView bytes) {
    QStringDecoder decoder(ansiCodePageName(), QStringDecoder::Flag::Stateless);
    Q_ASSERT(decoder.isValid());
    QString text = decoder.decode(bytes);
    // A converter that substitutes the five bytes Windows-1252 leaves undefined would make a
    // load and save alter the file; map them to the C1 controls of the same value instead.
    if (text.size() == bytes.size()) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == QChar::ReplacementCharacter)
                text[i] = QChar(uchar(bytes[i]));
        }
    }
    return text;
}

QByteArray ansiEncode(QStringView text) {
    QStringEncoder encoder(ansiCodePageName(), QStringEncoder::Flag::Stateless);
    Q_ASSERT(encoder.isValid());
    auto isUndefinedByte = [](QChar c) {
        const char16_t u = c.unicode();
        return u == 0x81 || u == 0x8D || u == 0x8F || u == 0x90 || u == 0x9D;
    };
    QByteArray out;
    out.reserve(text.size());
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isUndefinedByte(text[i]))
            continue;
        out += encoder.encode(text.mid(start, i - start));
        out += char(text[i].unicode());
        start = i + 1;
    }
    out += encoder.encode(text.mid(start));
    return out;
}

int compareTextIgnoreCase(QStringView a, QStringView b) {
    // QCollator is costly to construct; one per thread serves every comparison of a sort.
    thread_local QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator.compare(a, b);
}

void charLower(QChar* text, qsizetype length) {
    for (qsizetype i = 0; i < length; ++i)
        text[i] = text[i].toLower();
}

bool FileExists(const QString& fileName) {
    const QFileInfo info(fileName);
    return info.exists() && !info.isDir();
}

} // namespace platform
