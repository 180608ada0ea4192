// Helpers shared by the test programs.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testsupport {

// Captures every text the model shows through platform::ShowMessage while it lives, and
// restores the previous sink when it goes.
class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    QStringList messages;

private:
    struct Saved;
    Saved* saved_;
};

// Writes `bytes` to `path` (creating or truncating it); returns false when that fails.
bool writeFile(const QString& path, const QByteArray& bytes);

// The whole content of `path`, or an empty array when it cannot be read.
QByteArray readFile(const QString& path);

} // namespace testsupport
