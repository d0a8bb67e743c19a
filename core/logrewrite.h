#pragma once
// Changes to a log file other than appending: a corrected comment, a fresh start, a mended end.
// A replacement is written in full beside the log under a name no file has, flushed to disk and
// renamed over it in one step, under the lock: the log is never missing or half written, a file
// of the user's is never overwritten, and a failure (or a kill) leaves nothing partial behind. A
// log reached through a symbolic link is changed where the link points.

#include "core/logio.h"

#include <string>
#include <string_view>

namespace logfile {

// The record that starts at `offset` in the file as it is now, read alone.
struct RecordAt {
    enum class Result { Found, Gone, Failed } result = Result::Failed;
    FileError error;         // Failed
    logformat::Record record;
    logformat::Shape shape = logformat::Shape::Damaged;
    std::string displayLine;
    long long length = 0;    // its bytes, line ends included
};
RecordAt readRecordAt(const std::string &path, long long offset);

// Replaces the Comment of the record that starts at `offset` and nothing else: every other byte
// of the file stays as it was. The record is only changed while its list line is still
// `expectedLine`, so a file changed behind the program's back is never edited in the wrong place.
// The file is copied through a buffer of fixed size, so a log of any size takes constant memory.
struct CommentEdit {
    enum class Result { Done, RecordGone, RecordChanged, Failed } result = Result::Failed;
    FileError error;           // Failed; for Done, NotFlushed when the change may not be on disk yet
    long long oldLength = 0;   // Done: the record's bytes before and after
    long long newLength = 0;
    FileStamp after;           // Done: the new file
};
CommentEdit replaceComment(const std::string &path, long long offset, std::string_view expectedLine,
                           std::string_view newComment);

// The start of the names a replacement of the log `logName` has for the moment between being
// written and renamed over it. A kill at that moment can leave one behind; the next change of the
// same log removes it.
std::string replacementPrefix(const std::string &logName);

// Where the rows taken out of a log are kept, whole, so that they can be put back by hand: a CSV
// file beside the log, its header row first.
std::string removedRowsPath(const std::string &logPath);

// Takes the record that starts at `offset` out of the file, while its list line is still
// `expectedLine`; its bytes are appended to the file of removed rows first (after `header` when
// that file is new and the log has no header row of its own), and handed back.
struct RowRemoval {
    CommentEdit::Result result = CommentEdit::Result::Failed;
    FileError error;        // Failed; for Done, NotFlushed when the change may not be on disk yet
    std::string removed;    // Done: the record's bytes
    FileStamp after;        // Done: the new file
};
RowRemoval removeRecord(const std::string &path, long long offset, std::string_view expectedLine,
                        std::string_view header);

// Puts whole rows back at `offset`, which must still be between two rows (or at an end).
struct RowInsertion {
    bool placeGone = false;  // the file no longer has a row boundary there
    FileError error;         // NotFlushed: put back, but perhaps not on disk yet
    FileStamp after;
};
RowInsertion insertRows(const std::string &path, long long offset, std::string_view rows);

// What replacing the log by a new copy would change besides its rows: other names of the file
// (hard links) keep the old rows, and the copy belongs to this user and group, not the log's owner's
// when this user may not give it to them.
struct ReplaceRisk {
    unsigned long otherNames = 0;
    bool ownerChanges = false;
    bool groupChanges = false;
    uid_t owner = 0;
    gid_t group = 0;
};
ReplaceRisk replaceRisk(const std::string &path);

// Replaces the file by one holding only `headerRow`; on failure it stays as it was (NotFlushed:
// replaced, but the change may not be on disk yet). Its rows go to its file of removed rows first.
FileError startAfresh(const std::string &path, std::string_view headerRow);

}  // namespace logfile
