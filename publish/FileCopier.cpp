#include "publish/FileCopier.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr char kTempPrefix[] = ".vistrel-";
constexpr char kTempSuffix[] = ".part";

// Closes a descriptor and, while armed, removes the temporary file it was writing.
class TempFile {
public:
    ~TempFile() { Discard(); }
    bool Create(const QByteArray& folder, mode_t mode) {
        for (int attempt = 0; attempt < 16; ++attempt) {
            const QByteArray name =
                folder + "/" + kTempPrefix +
                QByteArray::number(QRandomGenerator::global()->generate64(), 16) + kTempSuffix;
            m_fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (m_fd < 0) {
                if (errno != EEXIST) return false;
                continue;
            }
            // The lock marks the file as in use for as long as this process lives; a file
            // nobody holds is left over from a copy that never finished.
            struct stat st {};
            if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(m_fd, &st) == 0 &&
                st.st_nlink > 0) {
                m_path = name;
                return true;
            }
            ::close(m_fd);  // taken for stale in the moment before the lock; try another name
            m_fd = -1;
        }
        return false;
    }
    int Fd() const { return m_fd; }
    const QByteArray& Path() const { return m_path; }
    // Closes the file, keeping it; false when the close reports a write error.
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }
    void Release() { m_path.clear(); }
    void Discard() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
        if (!m_path.isEmpty()) ::unlink(m_path.constData());
        m_path.clear();
    }

private:
    int m_fd = -1;
    QByteArray m_path;
};

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    int Get() const { return m_fd; }

private:
    int m_fd;
};

// copy_file_range is refused for some pairs of files (other file systems on older kernels,
// special files, some network mounts); those go through read/write instead.
bool RangeCopyUnsupported(int error) {
    return error == EXDEV || error == ENOSYS || error == EOPNOTSUPP || error == EINVAL ||
           error == EBADF || error == EPERM || error == ETXTBSY;
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

FileCopier::Result FileCopier::Fail(const QString& what, int error) {
    m_error = what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
    return Result::Failed;
}

FileCopier::Result FileCopier::Copy(const QString& source, const QString& destination,
                                    const Progress& progress) {
    m_error.clear();
    if (source.isEmpty() || destination.isEmpty())
        return Fail(QStringLiteral("empty path"), ENOENT);
    const QByteArray src = QFile::encodeName(source);
    const QByteArray dst = QFile::encodeName(destination);

    // Only a regular file is copied. A FIFO or device is never opened for real: the open would
    // wait for a writer or act on the device. Not blocking covers a swap after the first look.
    struct stat st {};
    if (::stat(src.constData(), &st) != 0) return Fail(source, errno);
    if (S_ISDIR(st.st_mode)) return Fail(source, EISDIR);
    if (!S_ISREG(st.st_mode)) return Fail(source, EINVAL);
    Fd in(::open(src.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (in.Get() < 0) return Fail(source, errno);
    if (::fstat(in.Get(), &st) != 0) return Fail(source, errno);
    if (!S_ISREG(st.st_mode)) return Fail(source, EINVAL);
    ::fcntl(in.Get(), F_SETFL, ::fcntl(in.Get(), F_GETFL) & ~O_NONBLOCK);

    // An existing destination keeps its permissions; a new one gets the source's.
    mode_t mode = st.st_mode & 0777;
    struct stat dstStat {};
    if (::stat(dst.constData(), &dstStat) == 0) {
        if (S_ISDIR(dstStat.st_mode)) return Fail(destination, EISDIR);
        if (S_ISREG(dstStat.st_mode)) mode = dstStat.st_mode & 0777;
    }

    const QFileInfo dstInfo(destination);
    if (dstInfo.fileName().isEmpty()) return Fail(destination, EISDIR);
    RemoveStaleTemporaries(dstInfo.absolutePath());
    TempFile out;
    if (!out.Create(QFile::encodeName(dstInfo.absolutePath()), mode))
        return Fail(destination, errno);
    ::fchmod(out.Fd(), mode);  // the umask would narrow the bits open() was given

    ::posix_fadvise(in.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    const qint64 total = st.st_size;
    qint64 done = 0;
    bool useRange = m_rangeCopy;
    for (;;) {
        ssize_t n;
        if (useRange) {
            n = ::copy_file_range(in.Get(), nullptr, out.Fd(), nullptr,
                                  static_cast<size_t>(m_chunkSize), 0);
            if (n < 0 && errno != EINTR && RangeCopyUnsupported(errno)) {
                useRange = false;
                continue;
            }
            // Some file systems answer 0 before the real end; read/write confirms the end.
            if (n == 0 && done < total) {
                useRange = false;
                continue;
            }
        } else {
            if (m_buffer.size() != static_cast<size_t>(m_chunkSize))
                m_buffer.resize(static_cast<size_t>(m_chunkSize));
            n = ::read(in.Get(), m_buffer.data(), m_buffer.size());
            if (n > 0 && !WriteAll(out.Fd(), m_buffer.data(), static_cast<size_t>(n)))
                return Fail(destination, errno);
        }
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail(useRange ? destination : source, errno);
        }
        if (n == 0) break;
        done += n;
        if (progress && !progress(done, total)) return Result::Cancelled;
    }
    if (done == 0 && progress && !progress(0, total)) return Result::Cancelled;

    // Complete only when every byte of the file as it is now was written and it did not change
    // meanwhile: a file cut short or rewritten during the copy gives neither version.
    struct stat after {};
    if (::fstat(in.Get(), &after) != 0) return Fail(source, errno);
    if (after.st_size != st.st_size || after.st_mtim.tv_sec != st.st_mtim.tv_sec ||
        after.st_mtim.tv_nsec != st.st_mtim.tv_nsec || done != after.st_size) {
        m_error = source + QStringLiteral(": changed while it was copied (%1 of %2 bytes)")
                               .arg(done)
                               .arg(after.st_size);
        return Result::Failed;
    }

    // Keep the source's modification time, as copies on the desktop do.
    const struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    ::futimens(out.Fd(), times);
    if (!out.Close()) return Fail(destination, errno);
    if (::rename(out.Path().constData(), dst.constData()) != 0) return Fail(destination, errno);
    out.Release();
    return Result::Copied;
}

bool FileCopier::LinkUnchanged(const QString& source, const QString& previous,
                               const QString& destination, bool derived) {
    if (source.isEmpty() || previous.isEmpty() || destination.isEmpty()) return false;
    struct stat src {
    }, prev{};
    if (::stat(QFile::encodeName(source).constData(), &src) != 0 || !S_ISREG(src.st_mode) ||
        ::lstat(QFile::encodeName(previous).constData(), &prev) != 0 || !S_ISREG(prev.st_mode))
        return false;
    const auto before = [](const struct timespec& a, const struct timespec& b) {
        return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
    };
    const bool exact = prev.st_size == src.st_size && prev.st_mtim.tv_sec == src.st_mtim.tv_sec &&
                       prev.st_mtim.tv_nsec == src.st_mtim.tv_nsec;
    // A package update rewrites the file: its change time moves even where the modification
    // time it carries is older.
    const bool made =
        derived && before(src.st_mtim, prev.st_mtim) && before(src.st_ctim, prev.st_mtim);
    if (!exact && !made) return false;
    return ::link(QFile::encodeName(previous).constData(),
                  QFile::encodeName(destination).constData()) == 0;
}

int FileCopier::RemoveStaleTemporaries(const QString& folder) {
    int removed = 0;
    const QDir dir(folder);
    const QStringList names = dir.entryList(
        {QString::fromLatin1(kTempPrefix) + QLatin1Char('*') + QString::fromLatin1(kTempSuffix)},
        QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        // Exactly the names this class gives, never a file of someone else's.
        const QStringView hex = QStringView(name).sliced(
            qstrlen(kTempPrefix), name.size() - qstrlen(kTempPrefix) - qstrlen(kTempSuffix));
        if (hex.isEmpty() || hex.size() > 16 || !std::all_of(hex.begin(), hex.end(), [](QChar c) {
                return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                       (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
            }))
            continue;
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        Fd fd(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
        struct stat st {};
        // A copy still running holds its lock.
        if (fd.Get() >= 0 && ::fstat(fd.Get(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0 && ::unlink(path.constData()) == 0)
            ++removed;
    }
    return removed;
}

QString FileCopier::SafeFileName(const QString& name) {
    QString safe = name;
    bool leading = true;
    for (QChar& c : safe) {
        // Blanks at the start hide a name's beginning; control and direction characters make
        // it show as something else.
        const bool blank = leading && c.isSpace();
        leading = blank;
        const char16_t u = c.unicode();
        const bool direction = u == 0x061c || u == 0x200e || u == 0x200f ||
                               (u >= 0x202a && u <= 0x202e) || (u >= 0x2066 && u <= 0x2069);
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') ||
            c.category() == QChar::Other_Control || direction || blank)
            c = QLatin1Char('_');
    }
    bool onlyDots = true;
    for (const QChar c : safe) onlyDots = onlyDots && c == QLatin1Char('.');
    if (onlyDots) safe = QString(safe.size() + 1, QLatin1Char('_'));
    return safe;
}
