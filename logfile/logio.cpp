#include "logio.h"

#include <cerrno>
#include <cstring>
#include <initializer_list>
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

int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// Writes `bytes` at the end of the file, or nothing: a short write is cut back to `before`.
int writeWhole(int fd, long long before, std::string_view bytes, Sync sync) {
    int err = writeAll(fd, bytes);
    if (!err && sync == Sync::Yes && ::fdatasync(fd) != 0)
        err = errno;
    if (err)
        (void)::ftruncate(fd, before);
    return err;
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

FileError touchForAppend(const std::string &path) {
    Fd fd(openForAppend(path));
    if (fd.get() < 0 || fd.close() != 0)
        return FileError::fromErrno(errno);
    return {};
}

FileError createEmpty(const std::string &path) {
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (fd.get() < 0 || fd.close() != 0)
        return FileError::fromErrno(errno);
    return {};
}

FoundRecord readRecord(const std::string &path, std::size_t index) {
    FoundRecord out;
    RecordReader reader;
    if ((out.error = reader.open(path)))
        return out;
    logformat::RecordView view;
    for (std::size_t i = 0;; ++i) {
        const RecordReader::Step step = reader.next(view);
        if (step == RecordReader::Step::ReadFailed) {
            out.error = reader.readError();
            return out;
        }
        if (step != RecordReader::Step::Record)
            return out;
        if (i == index) {
            out.found = true;
            for (std::size_t k = 0; k < logformat::kFieldCount; ++k)
                out.record[k] = logformat::toField(view[k]);
            logformat::appendDisplayLine(out.displayLine, view);
            return out;
        }
    }
}

namespace {

int readWhole(const std::string &path, std::string &bytes, struct stat &st) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return errno;
    if (::fstat(fd.get(), &st) != 0)
        return errno;
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size())
            bytes.resize(bytes.size() + 65536);  // the file may have grown since fstat
        const ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    return 0;
}

// Makes a rename inside `path`'s folder durable.
void syncFolderOf(const std::string &path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

// Writes `pieces` to the file's ".bak" copy, flushes it and renames it over the file. Returns the
// error, with the copy removed and the file untouched, when any step fails.
int replaceWith(const std::string &path, mode_t mode, std::initializer_list<std::string_view> pieces) {
    const std::string copy = path + ".bak";
    Fd fd(::open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode));
    int err = fd.get() < 0 ? errno : 0;
    for (const std::string_view piece : pieces)
        if (!err)
            err = writeAll(fd.get(), piece);
    if (!err && ::fsync(fd.get()) != 0)
        err = errno;
    if (fd.get() >= 0 && fd.close() != 0 && !err)
        err = errno;
    if (!err && ::rename(copy.c_str(), path.c_str()) != 0)
        err = errno;
    if (err) {
        ::unlink(copy.c_str());
        return err;
    }
    syncFolderOf(path);
    return 0;
}

}  // namespace

CommentEdit replaceComment(const std::string &path, std::size_t index, std::string_view expectedLine,
                           std::string_view newComment) {
    CommentEdit out;
    std::string bytes;
    struct stat st {};
    if (const int err = readWhole(path, bytes, st)) {
        out.error = FileError::fromErrno(err);
        return out;
    }

    // Where the record starts and ends.
    std::size_t start = 0;
    std::size_t end = 0;
    logformat::RecordView view;
    for (std::size_t i = 0;; ++i) {
        start = end;
        if (logformat::parseRecord(bytes, end, true, view) != logformat::ParseStatus::Parsed) {
            out.result = CommentEdit::Result::RecordGone;
            return out;
        }
        if (i == index)
            break;
    }
    std::string line;
    logformat::appendDisplayLine(line, view);
    if (line != expectedLine) {
        out.result = CommentEdit::Result::RecordChanged;
        return out;
    }
    logformat::Record record;
    for (std::size_t k = 0; k < logformat::kFieldCount; ++k)
        record[k] = logformat::toField(view[k]);
    record[logformat::Comment] = logformat::Field::txt(std::string(newComment));
    const std::string row = logformat::encodeRow(record);

    const std::string_view all(bytes);
    if (const int err = replaceWith(path, st.st_mode & 07777, {all.substr(0, start), row, all.substr(end)})) {
        out.error = FileError::fromErrno(err);
        return out;
    }
    out.result = CommentEdit::Result::Done;
    return out;
}

FileError startAfresh(const std::string &path, std::string_view headerRow) {
    struct stat st {};
    const mode_t mode = ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0666;
    if (const int err = replaceWith(path, mode, {headerRow}))
        return FileError::fromErrno(err);
    return {};
}

}  // namespace logfile
