#include "core/logio.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace logfile {
namespace {

LockWait lockWait;

// Waits for the lock as long as the policy says, doing what it says between tries.
int lockExclusive(int fd) {
    const auto deadline = std::chrono::steady_clock::now() + lockWait.limit;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)  // a file system without locks (some network shares) still takes the change
            return errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS ? 0 : errno;
        if (std::chrono::steady_clock::now() >= deadline)
            return EWOULDBLOCK;
        if (lockWait.between)
            lockWait.between(lockWait.context);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
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

FileError FileError::lockedByAnother() {
    FileError e = fromErrno(EWOULDBLOCK);
    e.description = "Another program is using the file: it holds a lock on it";
    return e;
}

FileError FileError::folderNotWritable(int err) {
    FileError e = fromErrno(err);
    e.kind = FailureKind::FolderNotWritable;
    e.description = "The log's folder cannot be written to (" + e.description +
                    "). A changed or emptied log is written as a new copy beside it, so its folder must be writable";
    return e;
}

FileError FileError::notFlushed(int err) {
    FileError e = fromErrno(err);
    e.kind = FailureKind::NotFlushed;
    e.description = "The change is made, but the system could not confirm that it is on disk (" + e.description +
                    "); a power cut or a crash now could still lose it";
    return e;
}

void setLockWait(const LockWait &wait) { lockWait = wait; }

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

FileStamp FileStamp::of(const struct stat &st) {
    return {{st.st_dev, st.st_ino},
            static_cast<long long>(st.st_size),
            static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
}

FileStamp stampOf(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? FileStamp::of(st) : FileStamp{};
}

FileStamp stampOf(const std::string &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? FileStamp::of(st) : FileStamp{};
}

// --- LockedFile

FileError LockedFile::open(const std::string &path, int flags) {
    close();
    for (int attempt = 0; attempt < 50; ++attempt) {
        struct stat named {};
        created_ = false;
        if (::stat(path.c_str(), &named) == 0) {
            if (!S_ISREG(named.st_mode))
                return FileError::notRegular(named.st_mode);
        } else if (errno != ENOENT || !(flags & O_CREAT)) {
            return FileError::fromErrno(errno);
        } else {
            created_ = true;
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
            return err == EWOULDBLOCK ? FileError::lockedByAnother() : FileError::fromErrno(err);
        // Another copy may have replaced or removed the file while this one waited for the lock.
        if (::stat(path.c_str(), &named) != 0 || named.st_ino != opened.st_ino || named.st_dev != opened.st_dev)
            continue;
        fd_ = std::move(fd);
        id_ = {opened.st_dev, opened.st_ino};
        mode_ = opened.st_mode & 07777;
        owner_ = opened.st_uid;
        group_ = opened.st_gid;
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
    out.before = stampOf(file.fd());
    const long long before = out.before.size;
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
    out.after = stampOf(file.fd());
    return out;
}

namespace {

// A file just made is on disk, name and all, only once its folder is flushed.
FileError flushNewName(const LockedFile &file, const std::string &path) {
    if (!file.created())
        return {};
    const int err = syncFolder(folderOf(path));
    return err ? FileError::notFlushed(err) : FileError{};
}

}  // namespace

HeaderOutcome ensureHeader(const std::string &path, std::string_view headerRow, Sync sync, Create create) {
    HeaderOutcome out;
    LockedFile file;
    if ((out.error = file.open(path, O_WRONLY | O_APPEND | (create == Create::Missing ? O_CREAT : 0))))
        return out;
    out.length = file.size();
    if (out.length == 0) {
        int err = writeAll(file.fd(), headerRow);
        if (!err && sync == Sync::Yes && ::fdatasync(file.fd()) != 0)
            err = errno;
        if (err) {
            (void)::ftruncate(file.fd(), 0);
            out.error = FileError::fromErrno(err);
            return out;
        }
    }
    out.error = flushNewName(file, path);
    return out;
}

FileError touchForAppend(const std::string &path) {
    LockedFile file;
    if (FileError error = file.open(path, O_WRONLY | O_APPEND | O_CREAT))
        return error;
    return flushNewName(file, path);
}

FileError createEmpty(const std::string &path) {
    LockedFile file;
    if (FileError error = file.open(path, O_WRONLY | O_CREAT))
        return error;
    if (::ftruncate(file.fd(), 0) != 0)
        return FileError::fromErrno(errno);
    return flushNewName(file, path);
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
    // A header row ends well within its first 64 KiB: a file whose first line goes on further (a
    // disk image, a file preallocated without line ends) is no log, and is not read on.
    {
        const UniqueFd fd = openForReading(path, out.error);
        if (!fd)
            return out;
        constexpr long long kHeaderRoom = 64 * 1024;
        std::string start(static_cast<std::size_t>(kHeaderRoom), '\0');
        const long long got = readAt(fd.get(), start.data(), kHeaderRoom, 0);
        if (got < 0) {
            out.error = FileError::fromErrno(errno);
            return out;
        }
        start.resize(static_cast<std::size_t>(got));
        if (got == kHeaderRoom && start.find_first_of("\r\n") == std::string::npos) {
            out.result = LogCheck::Result::NotLog;
            out.reason = "its first line is longer than any column-header row";
            return out;
        }
    }
    // The beginning tells: a log starts with its header row and goes on with rows of 19 fields.
    // It is read even when the file says it is empty: one whose reading fails (/proc/self/mem) is
    // no log.
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
    if (rows == 0) {
        out.result = LogCheck::Result::Empty;
        return out;
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

void ChunkedFile::restart() {
    from_ = to_ = 0;
    offset_ = 0;
    atEnd_ = false;
}

bool ChunkedFile::readMore(int fd, std::size_t keep) {
    constexpr std::size_t kAlign = 64;
    const std::size_t kept = to_ - from_ - keep;
    const std::size_t head = (kAlign - kept % kAlign) % kAlign;  // the kept bytes end on a boundary
    // Room for a chunk, or for as much again as is kept: a long record is scanned again after each
    // read, so reads grow with it.
    const std::size_t needed = head + kept + std::max(chunk_, kept);
    if (capacity_ < needed) {
        std::vector<char> larger(needed + kAlign);
        const std::uintptr_t past = reinterpret_cast<std::uintptr_t>(larger.data()) % kAlign;
        char *const aligned = larger.data() + (kAlign - past) % kAlign;
        std::memcpy(aligned + head, base_ + from_ + keep, kept);
        memory_ = std::move(larger);
        base_ = aligned;
        capacity_ = needed;
    } else {
        std::memmove(base_ + head, base_ + from_ + keep, kept);
    }
    offset_ += static_cast<long long>(keep);
    from_ = head;
    to_ = head + kept;
    const long long n = readSome(fd, base_ + to_, capacity_ - to_);
    if (n < 0)
        return false;
    atEnd_ = n == 0;
    to_ += static_cast<std::size_t>(n);
    return true;
}

bool ChunkedFile::skipLine(int fd, std::size_t keep) {
    for (std::size_t at = from_ + keep;;) {
        const auto *lineEnd = static_cast<const char *>(std::memchr(base_ + at, '\n', to_ - at));
        const auto *cr = static_cast<const char *>(std::memchr(base_ + at, '\r', (lineEnd ? lineEnd - base_ : to_) - at));
        if (cr)
            lineEnd = cr;  // a CR ends a line too; a LF after it makes a blank line, which is no record
        if (lineEnd) {
            const auto next = static_cast<std::size_t>(lineEnd - base_) + 1;
            offset_ += static_cast<long long>(next - from_);
            from_ = next;
            return true;
        }
        if (atEnd_) {
            offset_ += static_cast<long long>(to_ - from_);
            from_ = to_;
            return true;
        }
        // Nothing of it is kept: the next chunk goes where the window began.
        offset_ += static_cast<long long>(to_ - from_);
        from_ = to_ = 0;
        const long long n = readSome(fd, base_, capacity_);
        if (n < 0)
            return false;
        atEnd_ = n == 0;
        to_ = static_cast<std::size_t>(n);
        at = 0;
    }
}

FileError RecordReader::open(const std::string &path) {
    FileError error;
    struct stat st {};
    UniqueFd fd = openForReading(path, error, &st);
    if (!fd)
        return error;
    fd_ = std::move(fd);
    fileSize_ = st.st_size;
    file_.restart();
    batchSize_ = batchNext_ = scanPos_ = 0;
    scanned_ = logformat::ScanStatus::NeedMore;
    consumed_ = 0;
    return {};
}

RecordReader::Step RecordReader::next(logformat::RecordView &record) {
    if (!fd_)
        return Step::ReadFailed;
    while (batchNext_ == batchSize_) {
        if (scanned_ == logformat::ScanStatus::End) {
            consumed_ = file_.offset() + static_cast<long long>(file_.window().size());
            recordBytes_ = {};
            return Step::End;
        }
        // The batch read, the window may move: the records of the last batch are all taken.
        if (scanned_ == logformat::ScanStatus::NeedMore && file_.tooLong(scanPos_)) {
            // A line longer than any row: a damaged row, passed over.
            recordOffset_ = file_.offset() + static_cast<long long>(scanPos_);
            recordShape_ = logformat::Shape::Damaged;
            recordBytes_ = {};
            record = {};
            if (!file_.skipLine(fd_.get(), scanPos_)) {
                readErrno_ = errno;
                return Step::ReadFailed;
            }
            scanPos_ = 0;
            scanned_ = file_.window().empty() && file_.atEnd() ? logformat::ScanStatus::End
                                                                : logformat::ScanStatus::Found;
            consumed_ = file_.offset();
            return Step::Damaged;
        }
        if (scanned_ == logformat::ScanStatus::NeedMore) {
            if (!file_.readMore(fd_.get(), scanPos_)) {
                readErrno_ = errno;
                return Step::ReadFailed;
            }
            scanPos_ = 0;
        }
        scanned_ = logformat::scanRecords(file_.window(), scanPos_, file_.atEnd(), batch_, batchSize_);
        batchNext_ = 0;
    }
    const logformat::ScannedRecord &found = batch_[batchNext_++];
    const std::string_view window = file_.window();
    logformat::parseFields(window.substr(found.span.begin, found.span.end - found.span.begin), found, record, wanted_);
    recordOffset_ = file_.offset() + static_cast<long long>(found.span.begin);
    recordShape_ = found.span.shape;
    recordBytes_ = window.substr(found.span.begin, found.span.end - found.span.begin);
    consumed_ = file_.offset() + static_cast<long long>(found.span.end);
    return found.span.shape == logformat::Shape::Damaged ? Step::Damaged : Step::Record;
}

}  // namespace logfile
