#include "tests/support/TestSupport.h"

#include "platform/core/SysUtils.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

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

namespace {
const QString kFiller = QStringLiteral(".filler");
} // namespace

FullDisk::FullDisk(Kind kind) : kind_(kind) {
    if (!dir_.isValid()) {
        skipReason = QStringLiteral("no temporary folder");
        return;
    }
    if (kind_ != Kind::Tmpfs)
        return;
    // The private namespace keeps the mount from the rest of the machine and drops it when the
    // process ends, whatever way it ends.
    if (geteuid() != 0)
        skipReason = QStringLiteral("mounting a tmpfs needs root");
    else if (unshare(CLONE_NEWNS) != 0 || mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
             mount("velquin-full", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0, "size=64k") != 0)
        skipReason = QStringLiteral("this machine refuses to mount a tmpfs: ") + qt_error_string(errno);
    else
        mounted_ = true;
}

FullDisk::~FullDisk() {
    release();
    if (mounted_)
        umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
}

QString FullDisk::path(const QString& name) const {
    return dir_.filePath(name);
}

QStringList FullDisk::files() const {
    QStringList names = QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden);
    names.removeAll(kFiller);
    return names;
}

QString FullDisk::reason() const {
    return qt_error_string(kind_ == Kind::Tmpfs ? ENOSPC : EFBIG);
}

void FullDisk::fill() {
    if (filled_)
        return;
    filled_ = true;
    if (kind_ == Kind::Tmpfs) {
        QFile filler(path(kFiller));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray block(512, 'f');
        while (filler.write(block) == block.size()) {
        }
        return;
    }
    struct rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    oldSoftLimit_ = limit.rlim_cur;
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = rlim_t(kFileSizeLimit);
    setrlimit(RLIMIT_FSIZE, &limit);
}

void FullDisk::release() {
    if (!filled_)
        return;
    filled_ = false;
    if (kind_ == Kind::Tmpfs) {
        QFile::remove(path(kFiller));
        return;
    }
    struct rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(oldSoftLimit_);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler_);
}

std::string caseName(std::string_view text, std::size_t index) {
    std::string name;
    for (const char c : text)
        name += (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ? c : '_';
    return name + '_' + std::to_string(index);
}

} // namespace testsupport
