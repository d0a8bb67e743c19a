#pragma once
// Log file access in plain C++ (POSIX). Every operation opens the file, works and closes it:
// nothing is held open while the observer works, so a spreadsheet may look at the file meanwhile.

#include "logformat.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace logfile {

// The failure kinds the commands tell apart; their codes are the ones the observer sees.
enum class FailureKind { None, NotFound, InUse, Other };
inline constexpr int kNotFoundCode = 53;
inline constexpr int kInUseCode = 70;

struct FileError {
    FailureKind kind = FailureKind::None;
    int code = 0;             // 53, 70, or the system's error number for any other failure
    int systemError = 0;      // errno
    std::string description;  // the system's own words

    explicit operator bool() const { return kind != FailureKind::None; }
    static FileError fromErrno(int err);
};

enum class Sync { No, Yes };

// Appends one row with a single write() on a file opened with O_APPEND (created when missing).
// A write that stops short (disk full, file size limit) is cut back off, so the file only ever
// holds whole rows. With Sync::Yes the row is on disk when this returns without error.
FileError appendRow(const std::string &path, std::string_view row, Sync sync);

// Creates a missing file and writes `headerRow` into it when it is empty; a file that holds
// anything is left as it is. `length` is the file's length before any header was written.
struct HeaderOutcome {
    FileError error;
    long long length = 0;
};
HeaderOutcome ensureHeader(const std::string &path, std::string_view headerRow, Sync sync);

// Reads a log file record by record through a fixed buffer, so a file of any size is read in
// constant memory.
class RecordReader {
public:
    enum class Step { Record, End, Truncated, ReadFailed };

    RecordReader() = default;
    RecordReader(const RecordReader &) = delete;
    RecordReader &operator=(const RecordReader &) = delete;
    ~RecordReader();

    FileError open(const std::string &path);
    // The views in `record` stay valid until the next call.
    Step next(logformat::RecordView &record);
    // The error of a ReadFailed step.
    FileError readError() const { return FileError::fromErrno(readErrno_); }
    long long fileSize() const { return fileSize_; }

private:
    bool refill();

    int fd_ = -1;
    std::string buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
    int readErrno_ = 0;
    long long fileSize_ = 0;
};

// The comment list's lines, kept as UTF-8 in one block: about a third of the file's size and
// one allocation however long the log grows.
class DisplayLines {
public:
    std::size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    std::string_view line(std::size_t i) const {
        const std::size_t start = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(text_).substr(start, ends_[i] - start);
    }
    void append(std::string_view line) {
        text_.append(line);
        ends_.push_back(text_.size());
    }
    void appendLine(const logformat::RecordView &record) {
        logformat::appendDisplayLine(text_, record);
        ends_.push_back(text_.size());
    }
    void clear() {
        text_.clear();
        ends_.clear();
    }
    void reserveForFile(long long fileSize);

private:
    std::string text_;
    std::vector<std::size_t> ends_;
};

// How a reload ended once the file was open.
enum class ReadEnd { Complete, CutShort, ReadFailed };
struct LoadOutcome {
    FileError openError;  // set when the file could not be opened; `lines` is then untouched
    ReadEnd end = ReadEnd::Complete;
};
// Replaces `lines` with one display line per record of the file, reusing their memory. A record
// cut short by the end of the file ends the reading; the lines before it are kept.
LoadOutcome readDisplayLines(const std::string &path, DisplayLines &lines);
// The same from a reader already open.
ReadEnd readDisplayLines(RecordReader &reader, DisplayLines &lines);

// Opens the file for appending and closes it again: a missing file is created.
FileError touchForAppend(const std::string &path);
// Empties the file, or creates it empty.
FileError createEmpty(const std::string &path);
// Replaces the file by one holding only `headerRow`, written in full beside it (its name and
// ".bak"), flushed and renamed over it: on failure the file stays as it was.
FileError startAfresh(const std::string &path, std::string_view headerRow);

// The record with number `index` (0 is the header row), for the comment editor.
struct FoundRecord {
    FileError error;
    bool found = false;  // false: the file holds fewer records
    logformat::Record record;
    std::string displayLine;
};
FoundRecord readRecord(const std::string &path, std::size_t index);

// Replaces the Comment of record `index` and nothing else: every other byte of the file stays as
// it was. The new file is written in full beside the log (its name and ".bak"), flushed to disk
// and renamed over the log in one step, so the log is never missing or half written; on any
// failure before the rename the log is untouched. The record is only changed while its display
// line is still `expectedLine`, so a file changed behind the program's back is never edited in
// the wrong place.
struct CommentEdit {
    enum class Result { Done, RecordGone, RecordChanged, Failed } result = Result::Failed;
    FileError error;  // for Failed
};
CommentEdit replaceComment(const std::string &path, std::size_t index, std::string_view expectedLine,
                           std::string_view newComment);

}  // namespace logfile
