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

const char* ansiCodePageName() {
    return "windows-1252";
}

// The ICU converter maps the five bytes that Windows-1252 leaves undefined to the C1 controls of
// the same value and back, so an ANSI file survives a load and save unchanged; the tests hold
// any other converter to that.
QString ansiDecode(QByteArrayView bytes) {
    QStringDecoder decoder(ansiCodePageName(), QStringDecoder::Flag::Stateless);
    Q_ASSERT(decoder.isValid());
    return decoder.decode(bytes);
}

QByteArray ansiEncode(QStringView text) {
    QStringEncoder encoder(ansiCodePageName(), QStringEncoder::Flag::Stateless);
    Q_ASSERT(encoder.isValid());
    return encoder.encode(text);
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
