#include "logio.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace logfile {
namespace {

constexpr std::size_t kReadChunk = 512 * 1024;

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    // Closing can report a late write error (network file systems).
    int close() {
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }

private:
    int fd_;
};

int openForAppend(const std::string &path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Writes `bytes` at the end of the file, or nothing: a short write is cut back to `before`.
int writeWhole(int fd, long long before, std::string_view bytes, Sync sync) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        const int err = n < 0 ? errno : ENOSPC;
        (void)::ftruncate(fd, before);
        return err;
    }
    if (sync == Sync::Yes && ::fdatasync(fd) != 0) {
        const int err = errno;
        (void)::ftruncate(fd, before);
        return err;
    }
    return 0;
}

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

FileError appendRow(const std::string &path, std::string_view row, Sync sync) {
    Fd fd(openForAppend(path));
    if (fd.get() < 0)
        return FileError::fromErrno(errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return FileError::fromErrno(errno);
    if (const int err = writeWhole(fd.get(), st.st_size, row, sync))
        return FileError::fromErrno(err);
    if (fd.close() != 0 && sync == Sync::No)
        return FileError::fromErrno(errno);
    return {};
}

HeaderOutcome ensureHeader(const std::string &path, std::string_view headerRow, Sync sync) {
    HeaderOutcome out;
    Fd fd(openForAppend(path));
    if (fd.get() < 0) {
        out.error = FileError::fromErrno(errno);
        return out;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        out.error = FileError::fromErrno(errno);
        return out;
    }
    out.length = st.st_size;
    if (st.st_size == 0) {
        if (const int err = writeWhole(fd.get(), 0, headerRow, sync)) {
            out.error = FileError::fromErrno(err);
            return out;
        }
    }
    if (fd.close() != 0 && sync == Sync::No)
        out.error = FileError::fromErrno(errno);
    return out;
}

RecordReader::~RecordReader() {
    if (fd_ >= 0)
        ::close(fd_);
}

FileError RecordReader::open(const std::string &path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return FileError::fromErrno(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return FileError::fromErrno(err);
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        return FileError::fromErrno(EISDIR);
    }
    fd_ = fd;
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
    ssize_t n;
    do {
        n = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
    } while (n < 0 && errno == EINTR);
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
    if (fd_ < 0)
        return Step::ReadFailed;
    for (;;) {
        const std::string_view window(buffer_.data() + begin_, end_ - begin_);
        std::size_t pos = 0;
        switch (logformat::parseRecord(window, pos, atEnd_, record)) {
        case logformat::ParseStatus::Parsed:
            begin_ += pos;
            return Step::Record;
        case logformat::ParseStatus::End:
            return Step::End;
        case logformat::ParseStatus::Truncated:
            return Step::Truncated;
        case logformat::ParseStatus::NeedMore:
            if (!refill())
                return Step::ReadFailed;
            break;
        }
    }
}

void DisplayLines::reserveForFile(long long fileSize) {
    // A display line is shorter than a usual row, so the lines seldom grow by copying; reserved
    // pages that are never written take no memory.
    if (fileSize > 0) {
        text_.reserve(static_cast<std::size_t>(fileSize));
        ends_.reserve(static_cast<std::size_t>(fileSize / 64));
    }
}

ReadEnd readDisplayLines(RecordReader &reader, DisplayLines &lines) {
    lines.clear();
    lines.reserveForFile(reader.fileSize());
    logformat::RecordView record;
    for (;;) {
        switch (reader.next(record)) {
        case RecordReader::Step::Record:
            lines.appendLine(record);
            continue;
        case RecordReader::Step::End:
            return ReadEnd::Complete;
        case RecordReader::Step::Truncated:
            return ReadEnd::CutShort;
        case RecordReader::Step::ReadFailed:
            return ReadEnd::ReadFailed;
        }
    }
}

LoadOutcome readDisplayLines(const std::string &path, DisplayLines &lines) {
    LoadOutcome out;
    RecordReader reader;
    out.openError = reader.open(path);
    if (!out.openError)
        out.end = readDisplayLines(reader, lines);
    return out;
}

}  // namespace logfile
