#pragma once
// Log file access in plain C++ (POSIX). Every operation opens the file, works and closes it, and
// every operation that changes it holds an exclusive lock on it meanwhile, so two copies of the
// program on one log take turns instead of losing each other's rows. Only regular files are
// used, and opening one never blocks (a named pipe or a device is refused, not waited for).

#include "core/fileio.h"
#include "core/logformat.h"

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>
#include <sys/stat.h>
#include <sys/types.h>

namespace logfile {

// The failure kinds the commands tell apart; their codes are the ones the observer sees.
enum class FailureKind {
    None,
    NotFound,
    InUse,
    NotRegular,
    FolderNotWritable,  // a change that writes a new copy beside the log cannot write there
    NotFlushed,         // the change is made, but the system did not confirm it is on disk
    Other,
};
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
    // Another program's lock on the file outlasted the wait for it.
    static FileError lockedByAnother();
    // The log's folder refused the new copy a change writes beside the log.
    static FileError folderNotWritable(int err);
    // Flushing a change to disk failed after it was made.
    static FileError notFlushed(int err);
};

// How long a change of the log waits for another program's lock on it before it gives up as "in
// use", and what is done between tries (a window keeps repainting). Shared by every change.
struct LockWait {
    std::chrono::milliseconds limit{2000};
    void (*between)(void *context) = nullptr;
    void *context = nullptr;
};
void setLockWait(const LockWait &wait);

// Which file a path named when it was opened.
struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileId &) const = default;
};

// How a file stood: which file, its length and when it last changed. A log whose stamp differs
// from the one its lines were read at has been changed since, by this program or another.
struct FileStamp {
    FileId id;
    long long size = -1;  // -1: no file
    long long changedNs = 0;
    bool operator==(const FileStamp &) const = default;
    static FileStamp of(const struct stat &st);
};
// The stamp of an open file; of a path (size -1 when there is no file there).
FileStamp stampOf(int fd);
FileStamp stampOf(const std::string &path);

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
    FileStamp before;      // Done: the file as it stood before the row, and after it
    FileStamp after;
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
enum class Create { Missing, No };
HeaderOutcome ensureHeader(const std::string &path, std::string_view headerRow, Sync sync,
                           Create create = Create::Missing);

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

// A file read a chunk at a time, the unfinished end of one chunk kept before the next, in memory
// that is kept from file to file. It grows only for a record longer than a chunk, so a file of any
// size is read in constant memory. Every read lands on a 64-byte boundary: the kernel copies up to
// five times slower into memory that begins a few bytes past one, as a std::string's does.
class ChunkedFile {
public:
    // No line of a log is longer: one that is (a disk image, a file preallocated without line ends)
    // is a damaged row that is skipped, never held in memory whole.
    static constexpr std::size_t kLongestLine = 16 * 1024 * 1024;

    explicit ChunkedFile(std::size_t chunk) : chunk_(chunk) {}
    // From the start of the file.
    void restart();
    // Keeps the window's bytes from `keep` on and reads what follows them; false on a read error,
    // with errno set.
    bool readMore(int fd, std::size_t keep);
    // Whether the unfinished part from `keep` on is a line longer than any a log holds.
    bool tooLong(std::size_t keep) const { return to_ - from_ - keep >= kLongestLine; }
    // Passes over that line, reading on without keeping it, to the start of the next; the window
    // then begins there (or is empty at the end of the file). False on a read error.
    bool skipLine(int fd, std::size_t keep);
    std::string_view window() const { return {base_ + from_, to_ - from_}; }
    // The file offset of the window's first byte.
    long long offset() const { return offset_; }
    bool atEnd() const { return atEnd_; }

private:
    std::size_t chunk_;
    std::vector<char> memory_;
    char *base_ = nullptr;  // the first 64-byte boundary in memory_
    std::size_t capacity_ = 0;
    std::size_t from_ = 0;
    std::size_t to_ = 0;
    long long offset_ = 0;
    bool atEnd_ = false;
};

// Reads a log file record by record, through the block scanner a batch of records at a time.
class RecordReader {
public:
    // Damaged: a line that is not a whole row (cut short, too many fields, not a row); `record`
    // then holds the fields it has, the missing ones without a value. Reading goes on with the
    // next line.
    enum class Step { Record, Damaged, End, ReadFailed };

    FileError open(const std::string &path);
    // A reader that needs only some fields gets only those of the rows this program writes; the
    // others then read as without a value.
    void readOnly(logformat::FieldSet wanted) { wanted_ = wanted; }
    // The views in `record` stay valid until the next call.
    Step next(logformat::RecordView &record);
    // The last record's place in the file.
    long long recordOffset() const { return recordOffset_; }
    logformat::Shape recordShape() const { return recordShape_; }
    // The last record's bytes as they are in the file, line ends included; valid until the next call.
    std::string_view recordBytes() const { return recordBytes_; }
    // The error of a ReadFailed step.
    FileError readError() const { return FileError::fromErrno(readErrno_); }
    long long fileSize() const { return fileSize_; }
    // Bytes read so far, for a progress indication.
    long long position() const { return consumed_; }

private:
    UniqueFd fd_;
    ChunkedFile file_{512 * 1024};
    std::vector<logformat::ScannedRecord> batch_ = std::vector<logformat::ScannedRecord>(64);
    std::size_t batchSize_ = 0;
    std::size_t batchNext_ = 0;
    logformat::ScanStatus scanned_ = logformat::ScanStatus::NeedMore;  // how the last scan ended
    std::size_t scanPos_ = 0;  // where it ended, in the window
    logformat::FieldSet wanted_ = logformat::kAllFields;
    int readErrno_ = 0;
    long long fileSize_ = 0;
    long long consumed_ = 0;  // the file offset after the last record
    long long recordOffset_ = 0;
    logformat::Shape recordShape_ = logformat::Shape::Whole;
    std::string_view recordBytes_;
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
    uid_t owner() const { return owner_; }
    gid_t group() const { return group_; }
    // The file was made by this opening: its name is on disk only once its folder is flushed.
    bool created() const { return created_; }
    void close() { fd_.reset(); }

private:
    UniqueFd fd_;
    FileId id_;
    mode_t mode_ = 0;
    uid_t owner_ = 0;
    gid_t group_ = 0;
    bool created_ = false;
};

// Opens a regular file for reading, never blocking; invalid, with the error, otherwise.
UniqueFd openForReading(const std::string &path, FileError &error, struct stat *st = nullptr);

}  // namespace logfile
