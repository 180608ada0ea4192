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

std::string caseName(std::string_view text, std::size_t index) {
    std::string name;
    for (const char c : text)
        name += (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ? c : '_';
    return name + '_' + std::to_string(index);
}

} // namespace testsupport
