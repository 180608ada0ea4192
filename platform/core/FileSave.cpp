#include "platform/core/FileSave.h"

#include "platform/core/SysUtils.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

// The reason of the step that failed: the device's own when it names one; else the system's
// error number of that step (a failed flush of the write buffer leaves the device with no more
// than "Unknown error").
QString reasonOf(const QSaveFile& file, int systemError) {
    static const QString unnamed = QFile().errorString();
    const QString reason = file.errorString();
    if (!reason.isEmpty() && reason != unnamed)
        return reason;
    return qt_error_string(systemError != 0 ? systemError : EIO);
}

// Gives the new file `fd` the owner and group of the file it replaces, so that a save by another
// user (root, say) leaves the file with its owner, where the system allows it. False when the
// group bits could not be taken from a group other than the old one.
bool keepOwner(int fd, const FileIds& old) {
    struct stat now;
    if (::fstat(fd, &now) != 0 || (now.st_uid == old.owner && now.st_gid == old.group))
        return true;
    if (::fchown(fd, old.owner, old.group) == 0)
        return true;
    // Only root may give a file away; its owner may still pass it to a group of their own.
    if (now.st_gid == old.group || ::fchown(fd, uid_t(-1), old.group) == 0)
        return true;
    // The group bits were granted to the old group, not to the one the file is left with.
    return ::fchmod(fd, now.st_mode & ~mode_t(S_IFMT | S_IRWXG)) == 0;
}

} // namespace

TestSeam<SaveProbe> saveProbe;

SaveResult saveFile(const QString& fileName, const std::function<bool(QIODevice& file)>& write,
                    const std::optional<FileIds>& like) {
    // The new file would replace a pipe or a device node (root may write there) with a file.
    struct stat st;
    const bool replaces = ::stat(QFile::encodeName(fileName).constData(), &st) == 0;
    if (replaces && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        return {false, notRegularFileReason()};
    std::optional<FileIds> old = like;
    if (!old && replaces)
        old = FileIds{st.st_uid, st.st_gid, unsigned(st.st_mode & 07777)};
    QSaveFile file(fileName);
    // Each step runs only when the steps before it succeeded, and errno is cleared before each,
    // so that after a failure it holds what the failing step left there.
    const auto step = [&file](auto run) {
        errno = 0;
        return run() && file.error() == QFileDevice::NoError;
    };
    // QSaveFile gives the new file the old one's permission bits as it opens it, and no byte is
    // written before the bits are as they will stay.
    const bool opened = step([&] { return file.open(QIODevice::WriteOnly); }) &&
                        (!like || step([&] { return ::fchmod(file.handle(), mode_t(like->mode)) == 0; })) &&
                        (!old || step([&] { return keepOwner(file.handle(), *old); }));
    // An exception from `write` leaves the temporary file to QSaveFile's destructor, which removes
    // it.
    const auto writeAll = [&] {
        if (saveProbe)
            saveProbe(file);
        return write(file);
    };
    const bool written = opened && step(writeAll) && step([&] { return file.flush(); });
    if (!written) {
        SaveResult failed{false, reasonOf(file, errno)};
        file.cancelWriting();
        return failed;
    }
    errno = 0;
    if (!file.commit())
        return {false, reasonOf(file, errno)};
    return {true, QString()};
}

SaveResult saveFile(const QString& fileName, QByteArrayView bytes, const std::optional<FileIds>& like) {
    return saveFile(
        fileName,
        [bytes](QIODevice& file) {
            return bytes.isEmpty() || file.write(bytes.data(), bytes.size()) == bytes.size();
        },
        like);
}

SaveResult createNewFile(const QString& fileName, QByteArrayView bytes) {
    const QByteArray name = QFile::encodeName(fileName);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return {false, qt_error_string(errno)};
    int error = 0;
    for (qsizetype done = 0; done < bytes.size() && error == 0;) {
        const ssize_t n = ::write(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n == 0 || errno != EINTR)
            error = n == 0 ? EIO : errno;
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    struct stat created;
    const bool known = ::fstat(fd, &created) == 0;
    if (::close(fd) != 0 && errno != EINTR && error == 0)
        error = errno;
    struct stat now;
    // Only the file made here is removed, should another have taken its name since.
    if (error != 0 && known && ::lstat(name.constData(), &now) == 0 && now.st_dev == created.st_dev &&
        now.st_ino == created.st_ino)
        ::unlink(name.constData());
    return {error == 0, error == 0 ? QString() : qt_error_string(error)};
}

} // namespace platform
