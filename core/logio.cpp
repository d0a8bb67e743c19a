#include "core/logio.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace logfile {
namespace {

constexpr std::size_t kReadChunk = 512 * 1024;

int lockExclusive(int fd) {
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno == EINTR)
            continue;
        // A file system without locks (some network shares) still takes the change.
        return errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS ? 0 : errno;
    }
    return 0;
}

const char *kindOfFile(mode_t mode) {
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a named pipe";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    return "not a regular file";
}

bool endsLine(char c) { return c == '\n' || c == '\r'; }

}  // namespace

FileError FileError::fromErrno(int err) {
    FileError e;
    e.systemError = err;
    e.description = std::generic_category().message(err);
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        e.kind = FailureKind::NotFound;
        e.code = kNotFoundCode;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case ETXTBSY:
    case EAGAIN:
        e.kind = FailureKind::InUse;
        e.code = kInUseCode;
        break;
    default:
        e.kind = FailureKind::Other;
        e.code = err;
        break;
    }
    return e;
}

FileError FileError::notRegular(mode_t mode) {
    FileError e;
    e.kind = FailureKind::NotRegular;
    e.systemError = S_ISDIR(mode) ? EISDIR : EINVAL;
    e.code = e.systemError;
    e.description = std::string("This is ") + kindOfFile(mode) + ", not a file that can hold a log";
    if (S_ISDIR(mode))
        e.description = "Is a directory";
    return e;
}

// --- LockedFile

FileError LockedFile::open(const std::string &path, int flags) {
    close();
    for (int attempt = 0; attempt < 50; ++attempt) {
        struct stat named {};
        if (::stat(path.c_str(), &named) == 0) {
            if (!S_ISREG(named.st_mode))
                return FileError::notRegular(named.st_mode);
        } else if (errno != ENOENT || !(flags & O_CREAT)) {
            return FileError::fromErrno(errno);
        }
        // Not blocking: the path may have become a named pipe since the check.
        UniqueFd fd = openFile(path, flags | O_NONBLOCK | O_NOCTTY);
        if (!fd)
            return FileError::fromErrno(errno);
        struct stat opened {};
        if (::fstat(fd.get(), &opened) != 0)
            return FileError::fromErrno(errno);
        if (!S_ISREG(opened.st_mode))
            return FileError::notRegular(opened.st_mode);
        if (const int err = lockExclusive(fd.get()))
            return FileError::fromErrno(err);
        // Another copy may have replaced or removed the file while this one waited for the lock.
        if (::stat(path.c_str(), &named) != 0 || named.st_ino != opened.st_ino || named.st_dev != opened.st_dev)
            continue;
        fd_ = std::move(fd);
        id_ = {opened.st_dev, opened.st_ino};
        mode_ = opened.st_mode & 07777;
        return {};
    }
    return FileError::fromErrno(EBUSY);
}

long long LockedFile::size() const {
    struct stat st {};
    return ::fstat(fd_.get(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

// --- Appending

AppendOutcome appendRow(const std::string &path, std::string_view row, Sync sync) {
    AppendOutcome out;
    LockedFile file;
    bool canRead = true;
    FileError error = file.open(path, O_RDWR | O_APPEND);
    if (error.systemError == EACCES) {  // write-only: the end cannot be looked at, only written
        canRead = false;
        error = file.open(path, O_WRONLY | O_APPEND);
    }
    if (error) {
        out.result = error.kind == FailureKind::NotFound ? AppendOutcome::Result::Gone : AppendOutcome::Result::Failed;
        out.error = error;
        return out;
    }
    const long long before = file.size();
    if (before < 0) {
        out.error = FileError::fromErrno(errno);
        return out;
    }
    if (before > 0 && canRead) {
        char last = 0;
        if (readAt(file.fd(), &last, 1, before - 1) != 1) {
            out.error = FileError::fromErrno(errno ? errno : EIO);
            return out;
        }
        if (!endsLine(last)) {
            out.result = AppendOutcome::Result::TailNotEnded;
            return out;
        }
    }
    int err = writeAll(file.fd(), row);
    if (!err && sync == Sync::Yes && ::fdatasync(file.fd()) != 0)
        err = errno;
    if (err) {
        // Cut back what this write added, and only that: under the lock nobody else appends.
        const long long now = file.size();
        if (now > before && now <= before + static_cast<long long>(row.size()))
            (void)::ftruncate(file.fd(), before);
        out.error = FileError::fromErrno(err);
        return out;
    }
    out.result = AppendOutcome::Result::Done;
    out.offset = before;
    out.file = file.id();
    return out;
}

HeaderOutcome ensureHeader(const std::string &path, std::string_view headerRow, Sync sync) {
    HeaderOutcome out;
    LockedFile file;
    if ((out.error = file.open(path, O_WRONLY | O_APPEND | O_CREAT)))
        return out;
    out.length = file.size();
    if (out.length == 0) {
        int err = writeAll(file.fd(), headerRow);
        if (!err && sync == Sync::Yes && ::fdatasync(file.fd()) != 0)
            err = errno;
        if (err) {
            (void)::ftruncate(file.fd(), 0);
            out.error = FileError::fromErrno(err);
        }
    }
    return out;
}

FileError touchForAppend(const std::string &path) {
    LockedFile file;
    return file.open(path, O_WRONLY | O_APPEND | O_CREAT);
}

FileError createEmpty(const std::string &path) {
    LockedFile file;
    if (FileError error = file.open(path, O_WRONLY | O_CREAT))
        return error;
    if (::ftruncate(file.fd(), 0) != 0)
        return FileError::fromErrno(errno);
    return {};
}

// --- What a file holds

LogCheck checkLogFile(const std::string &path) {
    LogCheck out;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        out.result = errno == ENOENT ? LogCheck::Result::Missing : LogCheck::Result::Unusable;
        out.error = FileError::fromErrno(errno);
        return out;
    }
    RecordReader reader;
    if ((out.error = reader.open(path)))
        return out;
    if (reader.fileSize() == 0) {
        out.result = LogCheck::Result::Empty;
        return out;
    }
    // The beginning tells: a log starts with its header row and goes on with rows of 19 fields.
    logformat::RecordView record;
    int rows = 0;
    int damaged = 0;
    for (; rows < 50 && reader.position() < 256 * 1024; ++rows) {
        const RecordReader::Step step = reader.next(record);
        if (step == RecordReader::Step::End)
            break;
        if (step == RecordReader::Step::ReadFailed) {
            out.error = reader.readError();
            return out;
        }
        if (rows == 0) {
            bool header = step == RecordReader::Step::Record;
            // The Comment title is edited like any comment, so it may say anything.
            for (std::size_t i = 0; header && i < std::size(logformat::kFixedTitles); ++i)
                header = i == logformat::Comment ||
                         (record[i].kind == logformat::Kind::Text && record[i].text == logformat::kFixedTitles[i]);
            if (!header) {
                out.result = LogCheck::Result::NotLog;
                out.reason = "its first row is not the column-header row of a log";
                return out;
            }
        } else if (step == RecordReader::Step::Damaged) {
            ++damaged;
        }
    }
    if (damaged * 2 > rows - 1 && damaged > 0) {
        out.result = LogCheck::Result::NotLog;
        out.reason = "most of its rows are not rows of a log";
        return out;
    }
    out.result = LogCheck::Result::Log;
    return out;
}

// --- Reading

UniqueFd openForReading(const std::string &path, FileError &error, struct stat *info) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        error = FileError::fromErrno(errno);
        return {};
    }
    if (!S_ISREG(st.st_mode)) {  // a named pipe would block, a device may do worse
        error = FileError::notRegular(st.st_mode);
        return {};
    }
    UniqueFd fd = openFile(path, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (!fd) {
        error = FileError::fromErrno(errno);
        return {};
    }
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = S_ISREG(st.st_mode) ? FileError::fromErrno(errno) : FileError::notRegular(st.st_mode);
        return {};
    }
    if (info)
        *info = st;
    return fd;
}

FileError RecordReader::open(const std::string &path) {
    FileError error;
    struct stat st {};
    UniqueFd fd = openForReading(path, error, &st);
    if (!fd)
        return error;
    fd_ = std::move(fd);
    fileSize_ = st.st_size;
    buffer_.resize(kReadChunk);
    return {};
}

bool RecordReader::refill() {
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == buffer_.size())
        buffer_.resize(buffer_.size() * 2);  // one record longer than the buffer
    const long long n = readSome(fd_.get(), buffer_.data() + end_, buffer_.size() - end_);
    if (n < 0) {
        readErrno_ = errno;
        return false;
    }
    if (n == 0)
        atEnd_ = true;
    end_ += static_cast<std::size_t>(n);
    return true;
}

RecordReader::Step RecordReader::next(logformat::RecordView &record) {
    if (!fd_)
        return Step::ReadFailed;
    for (;;) {
        const std::string_view window(buffer_.data() + begin_, end_ - begin_);
        logformat::RecordSpan span;
        switch (logformat::scanRecord(window, 0, atEnd_, span, record)) {
        case logformat::ScanStatus::Found:
            recordOffset_ = consumed_ + static_cast<long long>(span.begin);
            recordShape_ = span.shape;
            recordLength_ = span.end - span.begin;
            begin_ += span.end;
            consumed_ += static_cast<long long>(span.end);
            return span.shape == logformat::Shape::Damaged ? Step::Damaged : Step::Record;
        case logformat::ScanStatus::End:
            recordLength_ = 0;
            consumed_ += static_cast<long long>(window.size());
            begin_ = end_;
            return Step::End;
        case logformat::ScanStatus::NeedMore:
            if (!refill())
                return Step::ReadFailed;
            break;
        }
    }
}

}  // namespace logfile
