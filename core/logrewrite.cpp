#include "core/logrewrite.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace logfile {
namespace {

constexpr long long kCopyBuffer = 256 * 1024;

// The file a path names, symbolic links followed, so a change goes where the link points.
std::string realTarget(const std::string &path, int &err) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) {
        err = errno;
        return {};
    }
    err = 0;
    return resolved;
}

std::string folderOf(const std::string &path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string &path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Copies `length` bytes from `in` at `offset` to the end of what was written to `out`.
int copyRange(int in, long long offset, long long length, int out) {
    while (length > 0) {
        loff_t from = offset;
        const ssize_t n = ::copy_file_range(in, &from, out, nullptr, static_cast<std::size_t>(length), 0);
        if (n > 0) {
            offset += n;
            length -= n;
            continue;
        }
        if (n == 0)
            return EIO;  // the file is shorter than it was when locked
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return errno;
        // No copying in the kernel here: through a buffer of fixed size.
        std::vector<char> buffer(static_cast<std::size_t>(std::min(length, kCopyBuffer)));
        while (length > 0) {
            const long long got = readAt(in, buffer.data(), std::min<long long>(length, kCopyBuffer), offset);
            if (got <= 0)
                return got < 0 ? errno : EIO;
            if (const int err = writeAll(out, std::string_view(buffer.data(), static_cast<std::size_t>(got))))
                return err;
            offset += got;
            length -= got;
        }
    }
    return 0;
}

// A new file in the log's folder that replaces the log once it is written in full. Made without a
// name where the file system allows it, so that nothing partial can be left behind by a failure
// or a kill; it gets a name no file has only for the moment of the rename.
class Replacement {
public:
    Replacement(const std::string &target, mode_t mode) : target_(target), mode_(mode) {}
    Replacement(const Replacement &) = delete;
    Replacement &operator=(const Replacement &) = delete;
    ~Replacement() {
        if (!named_.empty())
            ::unlinkat(dir_, named_.c_str(), 0);
        if (fd_ >= 0)
            ::close(fd_);
        if (dir_ >= 0)
            ::close(dir_);
    }

    int create() {
        dir_ = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir_ < 0)
            return errno;
        fd_ = ::openat(dir_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode_);
        if (fd_ < 0) {
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT)
                return errno;
            for (int i = 0; fd_ < 0 && i < 1000; ++i) {
                named_ = candidate(i);
                fd_ = ::openat(dir_, named_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode_);
                if (fd_ < 0 && errno != EEXIST) {
                    named_.clear();
                    return errno;
                }
            }
            if (fd_ < 0) {
                named_.clear();
                return EEXIST;
            }
        }
        // The log's permissions, whatever the umask.
        return ::fchmod(fd_, mode_) == 0 ? 0 : errno;
    }
    int fd() const { return fd_; }

    // Flushes the new file to disk, names it and renames it over the log.
    int commit() {
        if (::fsync(fd_) != 0)
            return errno;
        if (named_.empty()) {
            const std::string self = "/proc/self/fd/" + std::to_string(fd_);
            for (int i = 0; named_.empty() && i < 1000; ++i) {
                const std::string name = candidate(i);
                if (::linkat(AT_FDCWD, self.c_str(), dir_, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
                    named_ = name;
                else if (errno != EEXIST)
                    return errno;
            }
            if (named_.empty())
                return EEXIST;
        }
        if (::renameat(dir_, named_.c_str(), dir_, nameOf(target_).c_str()) != 0)
            return errno;
        named_.clear();
        (void)::fsync(dir_);  // the rename itself on disk
        return 0;
    }
    // The new file, still open, for the caller to keep.
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    // The log's name and ".bak", then ".bak-1", ".bak-2", ... until one is free.
    std::string candidate(int i) const {
        return nameOf(target_) + ".bak" + (i == 0 ? std::string() : "-" + std::to_string(i));
    }

    std::string target_;
    mode_t mode_;
    int dir_ = -1;
    int fd_ = -1;
    std::string named_;
};

// The record at `offset` of a file of `size` bytes, read alone: through a window that grows
// only for a longer record.
RecordAt recordAt(int fd, long long offset, long long size) {
    RecordAt out;
    if (offset < 0 || offset >= size) {
        out.result = RecordAt::Result::Gone;
        return out;
    }
    std::string window;
    logformat::RecordSpan span;
    logformat::RecordView fields;
    for (long long want = 64 * 1024;; want *= 2) {
        window.resize(static_cast<std::size_t>(std::min(want, size - offset)));
        if (readAt(fd, window.data(), static_cast<long long>(window.size()), offset) !=
            static_cast<long long>(window.size())) {
            out.error = FileError::fromErrno(errno ? errno : EIO);
            return out;
        }
        const bool atEnd = offset + static_cast<long long>(window.size()) == size;
        const logformat::ScanStatus status = logformat::scanRecord(window, 0, atEnd, span, fields);
        if (status == logformat::ScanStatus::Found)
            break;
        if (status == logformat::ScanStatus::End) {
            out.result = RecordAt::Result::Gone;
            return out;
        }
    }
    // A record found further on is not the one that started here.
    out.result = span.begin == 0 ? RecordAt::Result::Found : RecordAt::Result::Gone;
    out.shape = span.shape;
    out.length = static_cast<long long>(span.end);
    for (std::size_t k = 0; k < logformat::kFieldCount; ++k)
        out.record[k] = logformat::toField(fields[k]);
    logformat::appendDisplayLine(out.displayLine, fields);
    return out;
}

}  // namespace

RecordAt readRecordAt(const std::string &path, long long offset) {
    FileError error;
    struct stat st {};
    const int fd = openForReading(path, error, &st);
    if (fd < 0) {
        RecordAt out;
        out.error = error;
        out.result = error.kind == FailureKind::NotFound ? RecordAt::Result::Gone : RecordAt::Result::Failed;
        return out;
    }
    RecordAt out = recordAt(fd, offset, st.st_size);
    ::close(fd);
    return out;
}

CommentEdit replaceComment(const std::string &path, long long offset, std::string_view expectedLine,
                           std::string_view newComment) {
    CommentEdit out;
    int err = 0;
    const std::string target = realTarget(path, err);
    if (err) {
        out.error = FileError::fromErrno(err);
        return out;
    }
    // Opened for writing as well: a log that cannot be written is not rewritten either.
    LockedFile log;
    if ((out.error = log.open(target, O_RDWR)))
        return out;
    const long long size = log.size();
    const RecordAt found = recordAt(log.fd(), offset, size);
    if (found.result != RecordAt::Result::Found) {
        out.result = found.result == RecordAt::Result::Gone ? CommentEdit::Result::RecordGone : CommentEdit::Result::Failed;
        out.error = found.error;
        return out;
    }
    if (found.shape == logformat::Shape::Damaged || found.displayLine != expectedLine) {
        out.result = CommentEdit::Result::RecordChanged;
        return out;
    }
    logformat::Record record = found.record;
    record[logformat::Comment] = logformat::Field::txt(std::string(newComment));
    const std::string row = logformat::encodeRow(record);
    const long long oldLength = found.length;

    Replacement copy(target, log.mode());
    err = copy.create();
    if (!err)
        err = copyRange(log.fd(), 0, offset, copy.fd());
    if (!err)
        err = writeAll(copy.fd(), row);
    if (!err)
        err = copyRange(log.fd(), offset + oldLength, size - offset - oldLength, copy.fd());
    if (!err)
        err = copy.commit();
    if (err) {
        out.error = FileError::fromErrno(err);
        return out;
    }
    struct stat st {};
    ::fstat(copy.fd(), &st);
    out.result = CommentEdit::Result::Done;
    out.oldLength = oldLength;
    out.newLength = static_cast<long long>(row.size());
    out.file = {st.st_dev, st.st_ino};
    out.fd = copy.release();
    return out;
}

FileError startAfresh(const std::string &path, std::string_view headerRow) {
    int err = 0;
    const std::string target = realTarget(path, err);
    if (err)
        return FileError::fromErrno(err);
    LockedFile log;
    if (FileError error = log.open(target, O_WRONLY))
        return error;
    Replacement fresh(target, log.mode());
    err = fresh.create();
    if (!err)
        err = writeAll(fresh.fd(), headerRow);
    if (!err)
        err = fresh.commit();
    return err ? FileError::fromErrno(err) : FileError{};
}

TailRepair repairTail(const std::string &path) {
    TailRepair out;
    LockedFile log;
    if ((out.error = log.open(path, O_RDWR)))
        return out;
    const long long size = log.size();
    char last = 0;
    if (size <= 0 || (readAt(log.fd(), &last, 1, size - 1) == 1 && (last == '\n' || last == '\r'))) {
        out.result = TailRepair::Result::Clean;
        return out;
    }
    // Where the last line starts.
    long long start = size;
    std::string chunk;
    while (start > 0) {
        const long long from = std::max(0LL, start - 64 * 1024);
        chunk.resize(static_cast<std::size_t>(start - from));
        if (readAt(log.fd(), chunk.data(), start - from, from) != start - from) {
            out.error = FileError::fromErrno(errno ? errno : EIO);
            return out;
        }
        const std::size_t lineEnd = chunk.find_last_of("\r\n");
        if (lineEnd != std::string::npos) {
            start = from + static_cast<long long>(lineEnd) + 1;
            break;
        }
        start = from;
    }
    const long long tailLength = size - start;
    std::string tail;
    if (tailLength <= 16 * 1024 * 1024) {
        tail.resize(static_cast<std::size_t>(tailLength));
        if (readAt(log.fd(), tail.data(), tailLength, start) != tailLength) {
            out.error = FileError::fromErrno(errno ? errno : EIO);
            return out;
        }
    }
    const auto endTheLine = [&] {
        const long long at = log.size();
        if (::pwrite(log.fd(), "\r\n", 2, at) != 2 || ::fdatasync(log.fd()) != 0) {
            const int e = errno;
            (void)::ftruncate(log.fd(), at);
            out.error = FileError::fromErrno(e);
            out.result = TailRepair::Result::Failed;
            return;
        }
        out.result = TailRepair::Result::Ended;
    };
    // A whole row that only lacks its line end, or a line of blanks, just gets the line end.
    if (!tail.empty() && (tail.find_first_not_of(" \t") == std::string::npos || logformat::isWholeRecord(tail))) {
        endTheLine();
        return out;
    }

    // A damaged row: into a file of its own beside the log, under a name no file has.
    const std::string base = path + ".damaged-row";
    int aside = -1;
    for (int i = 1; aside < 0 && i < 1000; ++i) {
        out.asidePath = base + (i == 1 ? std::string() : "-" + std::to_string(i)) + ".txt";
        aside = ::open(out.asidePath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (aside < 0 && errno != EEXIST)
            break;
    }
    int err = aside < 0 ? errno : 0;
    if (!err) {
        int e = 0;
        if (!tail.empty() || tailLength == 0)
            e = writeAll(aside, tail);
        else {
            // Too long to hold: copied through a buffer.
            std::vector<char> buffer(static_cast<std::size_t>(kCopyBuffer));
            for (long long at = start; !e && at < size;) {
                const long long got = readAt(log.fd(), buffer.data(), std::min(kCopyBuffer, size - at), at);
                e = got <= 0 ? EIO : writeAll(aside, std::string_view(buffer.data(), static_cast<std::size_t>(got)));
                at += got;
            }
        }
        if (!e && ::fsync(aside) != 0)
            e = errno;
        err = e;
        ::close(aside);
        if (err)
            ::unlink(out.asidePath.c_str());
    }
    if (err) {
        // Nowhere to put it: it stays in the log as a line of its own, and new rows follow it.
        out.asidePath.clear();
        const FileError why = FileError::fromErrno(err);
        endTheLine();
        if (out.result == TailRepair::Result::Ended)
            out.error = why;
        return out;
    }
    if (const int dir = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    if (::ftruncate(log.fd(), start) != 0 || ::fdatasync(log.fd()) != 0) {
        out.error = FileError::fromErrno(errno);
        out.result = TailRepair::Result::Failed;
        return out;
    }
    out.result = TailRepair::Result::SetAside;
    out.asideBytes = tailLength;
    return out;
}

}  // namespace logfile
