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

// A folder on which every new write fails for want of room, while it is filled: a save there
// must fail and say why. Two ways to get there:
// - Tmpfs: a 64 KiB tmpfs mounted over a temporary folder in a mount namespace of this thread's
//   own, which ends with the process; it needs root and the right to mount, and `skipReason`
//   says why when this machine refuses it. fill() takes the space left with a filler file
//   ("No space left on device").
// - FileSizeLimit: a temporary folder on the ordinary disk. fill() lowers this process's
//   file-size limit (RLIMIT_FSIZE) to 4 KiB and ignores SIGXFSZ ("File too large").
// release(), also run by the destructor, removes the filler or restores the limit and the
// signal. Files written before fill() stay as they are.
class FullDisk {
public:
    enum class Kind { Tmpfs, FileSizeLimit };
    static constexpr qint64 kFileSizeLimit = 4096;

    explicit FullDisk(Kind kind);
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    QString skipReason; // empty when the folder is usable
    QString path(const QString& name) const;
    // The names of the files in the folder, the filler left out.
    QStringList files() const;
    // The system's reason that a failing save gives here.
    QString reason() const;

    void fill();
    void release();

private:
    Kind kind_;
    QTemporaryDir dir_;
    bool mounted_ = false;
    bool filled_ = false;
    quint64 oldSoftLimit_ = 0;
    void (*oldHandler_)(int) = nullptr;
};

// A name for a parameterised case that ctest lists the same in every build: `text` with each
// character other than an ASCII letter or digit turned into "_", then "_" and the row's index,
// so that rows with equal texts stay apart.
std::string caseName(std::string_view text, std::size_t index);

} // namespace testsupport
