#include "core/logrewrite.h"

#include "core/fileio.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include <dirent.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace logfile {
namespace {

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

}  // namespace

// Hidden, named after the log (so they do not look like backups, and are known as ours), and short
// (a log's name may be as long as a name may be).
std::string replacementPrefix(const std::string &logName) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (const unsigned char c : logName)
        hash = (hash ^ c) * 16777619u;
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, ".qv-%08x-", hash);
    return prefix;
}

namespace {

// A new file in the log's folder that replaces the log once it is written in full. Made without a
// name where the file system allows it, so that nothing partial can be left behind by a failure
// or a kill; it gets a name no file has only for the moment of the rename. It takes the log's
// permissions, owner and group, as far as this user may give them.
class Replacement {
public:
    Replacement(const std::string &target, const LockedFile &log)
        : target_(target), prefix_(replacementPrefix(nameOf(target))), mode_(log.mode()), owner_(log.owner()),
          group_(log.group()) {}
    Replacement(const Replacement &) = delete;
    Replacement &operator=(const Replacement &) = delete;
    ~Replacement() {
        if (!named_.empty())
            ::unlinkat(dir_.get(), named_.c_str(), 0);
    }

    // Called under the log's lock: nothing of ours for this log is in flight, so what is left of
    // an earlier run (killed between naming and renaming) goes.
    FileError create() {
        dir_ = openFile(folderOf(target_), O_RDONLY | O_DIRECTORY);
        if (!dir_)
            return FileError::fromErrno(errno);
        removeLeftovers();
        fd_ = openAt(dir_.get(), ".", O_TMPFILE | O_RDWR, mode_);
        if (!fd_) {
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT)
                return refused(errno);
            for (int i = 0; !fd_ && i < 1000; ++i) {
                named_ = candidate(i);
                fd_ = openAt(dir_.get(), named_, O_RDWR | O_CREAT | O_EXCL, mode_);
                if (!fd_ && errno != EEXIST) {
                    named_.clear();
                    return refused(errno);
                }
            }
            if (!fd_) {
                named_.clear();
                return FileError::fromErrno(EEXIST);
            }
        }
        // The log's owner and group where this user may keep them (the caller asked beforehand
        // when it may not); its permissions, whatever the umask.
        if (::fchown(fd_.get(), owner_, group_) != 0)
            (void)::fchown(fd_.get(), static_cast<uid_t>(-1), group_);
        return ::fchmod(fd_.get(), mode_) == 0 ? FileError{} : FileError::fromErrno(errno);
    }
    int fd() const { return fd_.get(); }

    // Flushes the new file to disk, names it and renames it over the log; a failed flush of the
    // rename itself is NotFlushed: the change is made.
    FileError commit() {
        if (const int err = syncFile(fd_.get()))
            return FileError::fromErrno(err);
        if (named_.empty()) {
            const std::string self = "/proc/self/fd/" + std::to_string(fd_.get());
            for (int i = 0; named_.empty() && i < 1000; ++i) {
                const std::string name = candidate(i);
                if (::linkat(AT_FDCWD, self.c_str(), dir_.get(), name.c_str(), AT_SYMLINK_FOLLOW) == 0)
                    named_ = name;
                else if (errno != EEXIST)
                    return refused(errno);
            }
            if (named_.empty())
                return FileError::fromErrno(EEXIST);
        }
        if (::renameat(dir_.get(), named_.c_str(), dir_.get(), nameOf(target_).c_str()) != 0)
            return FileError::fromErrno(errno);
        named_.clear();
        if (const int err = syncFile(dir_.get()))
            return FileError::notFlushed(err);
        return {};
    }

private:
    std::string candidate(int i) const { return prefix_ + std::to_string(i); }

    static FileError refused(int err) {
        return err == EACCES || err == EPERM || err == EROFS ? FileError::folderNotWritable(err)
                                                            : FileError::fromErrno(err);
    }

    void removeLeftovers() {
        DIR *dir = ::fdopendir(::dup(dir_.get()));
        if (dir == nullptr)
            return;
        while (const dirent *entry = ::readdir(dir))
            if (std::string_view(entry->d_name).starts_with(prefix_))
                ::unlinkat(dir_.get(), entry->d_name, 0);
        ::closedir(dir);
    }

    std::string target_;
    std::string prefix_;
    mode_t mode_;
    uid_t owner_;
    gid_t group_;
    UniqueFd dir_;
    UniqueFd fd_;
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
        if (want >= static_cast<long long>(ChunkedFile::kLongestLine)) {
            out.result = RecordAt::Result::Found;  // longer than any row: damaged, never held whole
            out.shape = logformat::Shape::Damaged;
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
    const UniqueFd fd = openForReading(path, error, &st);
    if (!fd) {
        RecordAt out;
        out.error = error;
        out.result = error.kind == FailureKind::NotFound ? RecordAt::Result::Gone : RecordAt::Result::Failed;
        return out;
    }
    return recordAt(fd.get(), offset, st.st_size);
}

namespace {

// The log rewritten with the bytes [at, at + length) replaced by `middle`, through a new copy.
FileError splice(const LockedFile &log, const std::string &target, long long size, long long at, long long length,
                 std::string_view middle, FileStamp &after) {
    Replacement copy(target, log);
    FileError error = copy.create();
    int err = 0;
    if (!error)
        err = copyRange(log.fd(), 0, at, copy.fd());
    if (!error && !err)
        err = writeAll(copy.fd(), middle);
    if (!error && !err)
        err = copyRange(log.fd(), at + length, size - at - length, copy.fd());
    if (!error && err)
        error = FileError::fromErrno(err);
    if (!error)
        error = copy.commit();
    if (!error || error.kind == FailureKind::NotFlushed)
        after = stampOf(copy.fd());
    return error;
}

bool done(const FileError &error) { return !error || error.kind == FailureKind::NotFlushed; }

// The log opened for a change, where a symbolic link points.
FileError openForChange(const std::string &path, int flags, std::string &target, LockedFile &log) {
    int err = 0;
    target = realTarget(path, err);
    if (err)
        return FileError::fromErrno(err);
    return log.open(target, flags);
}

// The log's own header row (its first record, when it is one), for a file of rows taken out of it.
std::string headerLineOf(int fd, long long size) {
    const RecordAt first = recordAt(fd, 0, size);
    if (first.result != RecordAt::Result::Found || first.record[logformat::Date].text != logformat::kFixedTitles[0])
        return {};
    std::string line(static_cast<std::size_t>(first.length), '\0');
    return readAt(fd, line.data(), first.length, 0) == first.length ? line : std::string();
}

// Appends the bytes [from, from + length) of the log to its file of removed rows, after a header row
// when that file is new; flushed to disk before the log loses them.
FileError setAside(const std::string &logPath, int fd, long long size, long long from, long long length,
                   std::string_view fallbackHeader) {
    const std::string asidePath = removedRowsPath(logPath);
    struct stat st {};
    const bool existed = ::stat(asidePath.c_str(), &st) == 0;
    if (existed && !S_ISREG(st.st_mode))
        return FileError::notRegular(st.st_mode);
    const UniqueFd aside = openFile(asidePath, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY, 0666);
    if (!aside)
        return FileError::fromErrno(errno);
    if (::fstat(aside.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return FileError::notRegular(st.st_mode);
    int err = 0;
    if (st.st_size == 0) {
        const std::string header = headerLineOf(fd, size);
        err = writeAll(aside.get(), header.empty() ? fallbackHeader : std::string_view(header));
    }
    if (!err)
        err = copyRange(fd, from, length, aside.get());
    if (!err)
        err = syncFile(aside.get());
    if (!err && !existed)
        err = syncFolder(folderOf(asidePath));
    return err ? FileError::fromErrno(err) : FileError{};
}

// The record at `offset`, which must still show `expectedLine` and be whole.
CommentEdit::Result check(const RecordAt &found, std::string_view expectedLine) {
    if (found.result == RecordAt::Result::Gone)
        return CommentEdit::Result::RecordGone;
    if (found.result == RecordAt::Result::Failed)
        return CommentEdit::Result::Failed;
    if (found.shape == logformat::Shape::Damaged || found.displayLine != expectedLine)
        return CommentEdit::Result::RecordChanged;
    return CommentEdit::Result::Done;
}

// The log opened for a change and locked, and the record at `offset` read, which must still show
// `expectedLine`: Done, or why the change cannot be made.
struct LockedRecord {
    std::string target;
    LockedFile log;
    long long size = 0;
    RecordAt found;
};
CommentEdit::Result lockRecord(const std::string &path, long long offset, std::string_view expectedLine,
                               LockedRecord &at, FileError &error) {
    // Opened for writing as well: a log that cannot be written is not rewritten either.
    if ((error = openForChange(path, O_RDWR, at.target, at.log)))
        return CommentEdit::Result::Failed;
    at.size = at.log.size();
    at.found = recordAt(at.log.fd(), offset, at.size);
    error = at.found.error;
    return check(at.found, expectedLine);
}

}  // namespace

std::string removedRowsPath(const std::string &logPath) { return logPath + ".removed-rows.csv"; }

CommentEdit replaceComment(const std::string &path, long long offset, std::string_view expectedLine,
                           std::string_view newComment) {
    CommentEdit out;
    LockedRecord at;
    if ((out.result = lockRecord(path, offset, expectedLine, at, out.error)) != CommentEdit::Result::Done)
        return out;
    const RecordAt &found = at.found;
    out.result = CommentEdit::Result::Failed;
    logformat::Record record = found.record;
    record[logformat::Comment] = logformat::Field::txt(std::string(newComment));
    const std::string row = logformat::encodeRow(record);
    out.error = splice(at.log, at.target, at.size, offset, found.length, row, out.after);
    if (!done(out.error))
        return out;
    out.result = CommentEdit::Result::Done;
    out.oldLength = found.length;
    out.newLength = static_cast<long long>(row.size());
    return out;
}

RowRemoval removeRecord(const std::string &path, long long offset, std::string_view expectedLine,
                        std::string_view header) {
    RowRemoval out;
    LockedRecord at;
    if ((out.result = lockRecord(path, offset, expectedLine, at, out.error)) != CommentEdit::Result::Done)
        return out;
    const RecordAt &found = at.found;
    out.result = CommentEdit::Result::Failed;
    out.removed.resize(static_cast<std::size_t>(found.length));
    if (readAt(at.log.fd(), out.removed.data(), found.length, offset) != found.length) {
        out.error = FileError::fromErrno(errno ? errno : EIO);
        return out;
    }
    // Kept before it goes: nothing taken out of a log is lost.
    if ((out.error = setAside(path, at.log.fd(), at.size, offset, found.length, header)))
        return out;
    out.error = splice(at.log, at.target, at.size, offset, found.length, {}, out.after);
    if (done(out.error))
        out.result = CommentEdit::Result::Done;
    return out;
}

RowInsertion insertRows(const std::string &path, long long offset, std::string_view rows) {
    RowInsertion out;
    std::string target;
    LockedFile log;
    if ((out.error = openForChange(path, O_RDWR, target, log)))
        return out;
    const long long size = log.size();
    // Only between whole rows: at the start, or after a line end.
    char before = '\n';
    if (offset > size || (offset > 0 && (readAt(log.fd(), &before, 1, offset - 1) != 1 || (before != '\n' && before != '\r')))) {
        out.placeGone = true;
        return out;
    }
    out.error = splice(log, target, size, offset, 0, rows, out.after);
    return out;
}

ReplaceRisk replaceRisk(const std::string &path) {
    ReplaceRisk out;
    int err = 0;
    struct stat st {};
    const std::string target = realTarget(path, err);
    if (err || ::stat(target.c_str(), &st) != 0)
        return out;  // the change itself will say what is wrong
    out.owner = st.st_uid;
    out.group = st.st_gid;
    out.otherNames = st.st_nlink > 1 ? st.st_nlink - 1 : 0;
    const uid_t me = ::geteuid();
    if (me == 0)
        return out;  // the superuser gives the copy to whom the log belongs
    out.ownerChanges = me != st.st_uid;
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(0, ::getgroups(0, nullptr))));
    groups.resize(static_cast<std::size_t>(std::max(0, ::getgroups(static_cast<int>(groups.size()), groups.data()))));
    out.groupChanges = st.st_gid != ::getegid() && std::find(groups.begin(), groups.end(), st.st_gid) == groups.end();
    return out;
}

FileError startAfresh(const std::string &path, std::string_view headerRow) {
    std::string target;
    LockedFile log;
    if (FileError error = openForChange(path, O_RDWR, target, log))
        return error;
    const long long size = log.size();
    // Its rows, past its header row, are kept in the file of removed rows before they go.
    const long long headerEnd = static_cast<long long>(headerLineOf(log.fd(), size).size());
    if (size > headerEnd)
        if (FileError error = setAside(path, log.fd(), size, headerEnd, size - headerEnd, headerRow))
            return error;
    FileStamp after;
    return splice(log, target, size, 0, size, headerRow, after);
}

namespace {

// Where the last line of a file of `size` bytes starts; -1 when it cannot be read.
long long lastLineStart(int fd, long long size) {
    long long start = size;
    std::string chunk;
    while (start > 0) {
        const long long from = std::max(0LL, start - 64 * 1024);
        chunk.resize(static_cast<std::size_t>(start - from));
        if (readAt(fd, chunk.data(), start - from, from) != start - from)
            return -1;
        const std::size_t lineEnd = chunk.find_last_of("\r\n");
        if (lineEnd != std::string::npos)
            return from + static_cast<long long>(lineEnd) + 1;
        start = from;
    }
    return 0;
}

// A last line that only lacks its line end: a whole row, or blanks.
bool onlyLacksItsLineEnd(int fd, long long start, long long size) {
    constexpr long long kLongestRow = 16 * 1024 * 1024;  // longer is no row this program wrote
    if (size - start > kLongestRow || size == start)
        return false;
    std::string tail(static_cast<std::size_t>(size - start), '\0');
    if (readAt(fd, tail.data(), size - start, start) != size - start)
        return false;
    return tail.find_first_not_of(" \t") == std::string::npos || logformat::isWholeRecord(tail);
}

// Ends the file's last line with CR LF, durably; nothing is added when that fails.
int endLastLine(int fd, long long size) {
    int err = ::pwrite(fd, "\r\n", 2, size) == 2 ? 0 : errno ? errno : EIO;
    if (!err && ::fdatasync(fd) != 0)
        err = errno;
    if (err)
        (void)::ftruncate(fd, size);
    return err;
}

// Copies bytes `start` to `size` of the log into a new file beside it, named after the log and
// never over a file that exists, flushed to disk; its name, or the error.
int setAside(int fd, long long start, long long size, const std::string &logPath, std::string &asidePath) {
    const std::string base = logPath + ".damaged-row";
    UniqueFd aside;
    for (int i = 1; !aside && i < 1000; ++i) {
        asidePath = base + (i == 1 ? std::string() : "-" + std::to_string(i)) + ".txt";
        aside = openFile(asidePath, O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (!aside && errno != EEXIST)
            break;
    }
    if (!aside) {
        const int err = errno;
        asidePath.clear();
        return err;
    }
    int err = copyRange(fd, start, size - start, aside.get());
    if (!err)
        err = syncFile(aside.get());
    if (!err)
        err = syncFolder(folderOf(logPath));
    if (err) {
        ::unlink(asidePath.c_str());
        asidePath.clear();
    }
    return err;
}

}  // namespace

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
    const long long start = lastLineStart(log.fd(), size);
    if (start < 0) {
        out.error = FileError::fromErrno(errno ? errno : EIO);
        return out;
    }
    const auto ended = [&](FileError why) {
        if (const int err = endLastLine(log.fd(), size)) {
            out.error = FileError::fromErrno(err);
            return out;
        }
        out.result = TailRepair::Result::Ended;
        out.error = why;
        return out;
    };
    // A whole row that only lacks its line end, or a line of blanks, just gets the line end.
    if (onlyLacksItsLineEnd(log.fd(), start, size))
        return ended({});
    // A damaged row: into a file of its own beside the log. With nowhere to put it, it stays in the
    // log as a line of its own, and new rows follow it.
    if (const int err = setAside(log.fd(), start, size, path, out.asidePath))
        return ended(FileError::fromErrno(err));
    if (::ftruncate(log.fd(), start) != 0 || ::fdatasync(log.fd()) != 0) {
        out.error = FileError::fromErrno(errno);
        out.result = TailRepair::Result::Failed;
        return out;
    }
    out.result = TailRepair::Result::SetAside;
    out.asideBytes = size - start;
    return out;
}

}  // namespace logfile
