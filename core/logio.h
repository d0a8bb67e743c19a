#pragma once
// Log file access in plain C++ (POSIX). Every operation opens the file, works and closes it, and
// every operation that changes it holds an exclusive lock on it meanwhile, so two copies of the
// program on one log take turns instead of losing each other's rows. Only regular files are
// used, and opening one never blocks (a named pipe or a device is refused, not waited for).

#include "core/fileio.h"
#include "core/logformat.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>

namespace logfile {

// The failure kinds the commands tell apart; their codes are the ones the observer sees.
enum class FailureKind { None, NotFound, InUse, NotRegular, Other };
inline constexpr int kNotFoundCode = 53;
inline constexpr int kInUseCode = 70;

struct FileError {
    FailureKind kind = FailureKind::None;
    int code = 0;             // 53, 70, or the system's error number for any other failure
    int systemError = 0;      // errno
    std::string description;  // the system's own words, or what the file is instead of a log

    explicit operator bool() const { return kind != FailureKind::None; }
    static FileError fromErrno(int err);
    // A folder, a named pipe, a device or a socket where a log file was expected.
    static FileError notRegular(mode_t mode);
};

// Which file a path named when it was opened.
struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileId &) const = default;
};

enum class Sync { No, Yes };

// Appends one row with a single write() at the end of the file, under the lock. A write that
// stops short (disk full, file size limit) is cut back, removing only what this write added.
// A missing file is not created again: it is Gone, and the caller decides. A file whose last
// line has no line end (a row cut short, or a row without its CR LF) gets nothing: new rows must
// not start inside another, so the caller mends the end with repairTail() first.
struct AppendOutcome {
    enum class Result { Done, Gone, TailNotEnded, Failed } result = Result::Failed;
    FileError error;      // Gone and Failed
    long long offset = 0;  // Done: where the row starts
    FileId file;           // Done: the file written
};
AppendOutcome appendRow(const std::string &path, std::string_view row, Sync sync);

// Gives a file whose last line has no line end one: a whole row gets its CR LF; anything else is
// a damaged row, which is moved whole into a new file beside the log (never over a file that
// exists) and cut off the log, or, when that file cannot be made, ended where it is.
struct TailRepair {
    enum class Result { Clean, Ended, SetAside, Failed } result = Result::Failed;
    std::string asidePath;  // SetAside: where the damaged row now is
    long long asideBytes = 0;
    FileError error;        // Failed; for Ended, why the row could not be set aside (if so)
};
TailRepair repairTail(const std::string &path);

// Creates a missing file and writes `headerRow` into it when it is empty; a file that holds
// anything is left as it is. `length` is the file's length before any header was written.
struct HeaderOutcome {
    FileError error;
    long long length = 0;
};
HeaderOutcome ensureHeader(const std::string &path, std::string_view headerRow, Sync sync);

// Opens the file for appending and closes it again: a missing file is created.
FileError touchForAppend(const std::string &path);
// Empties the file, or creates it empty.
FileError createEmpty(const std::string &path);

// What a file chosen as a log holds, judged from its beginning, before anything is written to it.
struct LogCheck {
    enum class Result { Missing, Empty, Log, NotLog, Unusable } result = Result::Unusable;
    std::string reason;  // NotLog: what it holds instead
    FileError error;     // Unusable
};
LogCheck checkLogFile(const std::string &path);

// Reads a log file record by record through a buffer of fixed size (it grows only for a record
// longer than itself), so a file of any size is read in constant memory.
class RecordReader {
public:
    // Damaged: a line that is not a whole row (cut short, too many fields, not a row); `record`
    // then holds the fields it has, the missing ones without a value. Reading goes on with the
    // next line.
    enum class Step { Record, Damaged, End, ReadFailed };

    FileError open(const std::string &path);
    // The views in `record` stay valid until the next call.
    Step next(logformat::RecordView &record);
    // The last record's place in the file.
    long long recordOffset() const { return recordOffset_; }
    logformat::Shape recordShape() const { return recordShape_; }
    // The last record's bytes as they are in the file, line ends included; valid until the next call.
    std::string_view recordBytes() const { return {buffer_.data() + begin_ - recordLength_, recordLength_}; }
    // The error of a ReadFailed step.
    FileError readError() const { return FileError::fromErrno(readErrno_); }
    long long fileSize() const { return fileSize_; }
    // Bytes read so far, for a progress indication.
    long long position() const { return consumed_; }

private:
    bool refill();

    UniqueFd fd_;
    std::string buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
    int readErrno_ = 0;
    long long fileSize_ = 0;
    long long consumed_ = 0;  // file offset of buffer_[begin_]
    long long recordOffset_ = 0;
    std::size_t recordLength_ = 0;
    logformat::Shape recordShape_ = logformat::Shape::Whole;
};

// A log file opened and locked for a change; closing it releases the lock. Opening waits for the
// lock, then makes sure the path still names the file it locked (another copy may have replaced
// it meanwhile) and opens the new one if not.
class LockedFile {
public:
    // `flags` as for open(2), without O_CREAT unless a missing file is to be created.
    FileError open(const std::string &path, int flags);
    int fd() const { return fd_.get(); }
    FileId id() const { return id_; }
    long long size() const;
    mode_t mode() const { return mode_; }
    void close() { fd_.reset(); }

private:
    UniqueFd fd_;
    FileId id_;
    mode_t mode_ = 0;
};

// Opens a regular file for reading, never blocking; invalid, with the error, otherwise.
UniqueFd openForReading(const std::string &path, FileError &error, struct stat *st = nullptr);

}  // namespace logfile
