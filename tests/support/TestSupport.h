// Helpers shared by the test programs.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <string>
#include <string_view>

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

// A name for a parameterised case that ctest lists the same in every build: `text` with each
// character other than an ASCII letter or digit turned into "_", then "_" and the row's index,
// so that rows with equal texts stay apart.
std::string caseName(std::string_view text, std::size_t index);

} // namespace testsupport
