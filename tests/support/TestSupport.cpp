#include "tests/support/TestSupport.h"

#include "platform/core/SysUtils.h"

#include <QFile>

namespace testsupport {

struct MessageCapture::Saved {
    platform::MessageSink previous;
};

MessageCapture::MessageCapture() : saved_(new Saved) {
    saved_->previous = platform::setMessageSink([this](const QString& text) { messages << text; });
}

MessageCapture::~MessageCapture() {
    platform::setMessageSink(std::move(saved_->previous));
    delete saved_;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace testsupport
