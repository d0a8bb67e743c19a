#pragma once
// The current log file as the session sees it: its path, the place of each record (the lines the
// comment list shows), its header titles, the recently used files, and every change made to it,
// each returning an outcome for the window to show. Appending mends a log whose end was cut short
// and notices what another copy of the program wrote; a log that is gone is made again only when
// the observer says so.

#include "core/logindex.h"
#include "core/logrewrite.h"
#include "core/presence.h"
#include "session/ColumnHeader.h"
#include "session/LogEntry.h"
#include "session/MruList.h"

#include <QString>
#include <memory>
#include <vector>

class SettingsStore;

class LogSession {
public:
    using LoadOutcome = logfile::LogIndex::LoadOutcome;

    // `presence` notes the current log for other running copies; none: nothing is noted.
    LogSession(SettingsStore &store, std::unique_ptr<logfile::Presence> presence);
    ~LogSession();

    const QString &path() const { return path_; }
    logfile::LogIndex &index() { return index_; }
    const logfile::LogIndex &index() const { return index_; }
    std::size_t lineCount() const { return index_.size(); }
    MruList &recent() { return recent_; }
    const MruList &recent() const { return recent_; }
    // What the header writer found and wrote last: the button count read, the event columns'
    // titles, the file's length before.
    const ColumnHeaderOutcome &header() const { return header_; }

    // What a file chosen to become the log holds.
    static logfile::LogCheck check(const QString &path);
    // Makes sure the file at `path` exists and gives an empty one its header row.
    logfile::FileError writeHeader(const QString &path);
    // Makes `path` the current log; its lines are loaded by reload().
    void use(const QString &path) { path_ = path; }
    // Loads the current log's lines afresh; when it cannot be opened they stay as they were.
    LoadOutcome reload();
    // How many other running copies of the program have the current log as theirs.
    int announce();
    // How the current log stands against its lines: changed by another program, cut shorter
    // than the lines shown, gone.
    // Nothing while a change of its own is under way (it may be waiting for another program's lock).
    logfile::LogIndex::Change changedOnDisk() const {
        return working_ ? logfile::LogIndex::Change::None : index_.changed();
    }

    struct AppendResult {
        enum class Kind { Written, Gone, Failed } kind = Kind::Failed;
        logfile::FileError error;  // Gone and Failed
        // The log's end, mended before the row: a damaged row set aside, or a line ended in place
        // (with the reason it could not be set aside). Clean when nothing was mended.
        logfile::TailRepair tail;
        // Written: the lines were loaded afresh (the end was mended, or another copy wrote to the
        // log), with this outcome; otherwise the row's line was added at the end.
        bool reloaded = false;
        LoadOutcome load;
    };
    // Appends the entry's row. The row is on disk before its line is counted, and a row that
    // cannot be written adds no line: line i always shows record i of the file.
    AppendResult append(const LogEntry &entry);
    // The current log is gone: it is made again with its header row.
    logfile::FileError createAgain();
    // What replacing the log by a new copy (a corrected comment, Delete All) changes besides its rows.
    logfile::ReplaceRisk replaceRisk() const { return logfile::replaceRisk(nativePath()); }
    // Replaces the log by one holding only a header row for the buttons set up now. NotFlushed:
    // replaced, but perhaps not on disk yet.
    logfile::FileError startAfresh();

    struct CommentLookup {
        enum class Result { Found, Damaged, Changed, Failed } result = Result::Failed;
        QString comment;           // Found
        logfile::FileError error;  // Failed
    };
    // The comment of the record on line `row`, read from the file as it is now: Changed when the
    // file no longer holds that line there, Damaged for a damaged row, which has no comment.
    CommentLookup commentAt(std::size_t row);
    struct CommentChange {
        enum class Result { Done, Changed, Failed } result = Result::Failed;
        logfile::FileError error;  // Failed; for Done, NotFlushed when the change may not be on disk yet
    };
    // Replaces the comment of line `row`, and nothing else of the file.
    CommentChange changeComment(std::size_t row, const QString &comment);

    struct RowChange {
        enum class Result {
            Done,
            Nothing,  // nothing to undo or redo
            Header,   // the column-header row stays
            Marker,   // a timer marker stays: the summary's times rest on it
            Damaged,  // a damaged row has no entry to take back
            Changed,  // the file no longer holds that row where it was
            Failed,
        } result = Result::Failed;
        logfile::FileError error;  // Failed; for Done, NotFlushed when the change may not be on disk yet
        std::size_t line = 0;      // Done: the line taken out or put back
    };
    // Whether the last entries this window wrote can be taken back, or put back again.
    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    // Takes the last comment or event row this window wrote out of the log (markers stay).
    RowChange undoEntry();
    // Puts the row last taken back by undoEntry() in its place again, byte for byte.
    RowChange redoEntry();
    // Takes the entry on line `row` out of the log. Every row taken out, by any of the three, is
    // kept whole in the log's file of removed rows first.
    RowChange removeEntry(std::size_t row);
    // Why line `row` cannot be taken out (Header, Marker, Damaged), or Done when it can.
    RowChange::Result whyEntryStays(std::size_t row);
    QString removedRowsPath() const;

private:
    std::string nativePath() const;
    std::string headerRow() const;
    // Moves what this window wrote after `at` by `delta` bytes, after a change there.
    void shiftWritten(long long at, long long delta);
    // Marks a change of the log under way for as long as it lives.
    struct Working {
        explicit Working(int &count) : count_(++count) {}
        ~Working() { --count_; }
        int &count_;
    };

    SettingsStore &store_;
    std::unique_ptr<logfile::Presence> presence_;
    QString path_;
    logfile::LogIndex index_;
    ColumnHeaderOutcome header_;
    MruList recent_;
    int working_ = 0;
    // Rows this window wrote (comments and events), newest last, and rows taken back by Undo.
    struct Written {
        long long offset = 0;
        std::string bytes;
        std::string line;
    };
    std::vector<Written> undo_;
    std::vector<Written> redo_;
};
