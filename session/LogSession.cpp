#include "session/LogSession.h"

#include "ui/NativePath.h"

#include <QFile>
#include <cerrno>

LogSession::LogSession(SettingsStore &store, std::unique_ptr<logfile::Presence> presence)
    : store_(store), presence_(std::move(presence)) {}

LogSession::~LogSession() = default;

std::string LogSession::nativePath() const { return toNativePath(path_); }

logfile::LogCheck LogSession::check(const QString &path) { return logfile::checkLogFile(toNativePath(path)); }

logfile::FileError LogSession::writeHeader(const QString &path) {
    header_ = ensureColumnHeader(store_, path);
    return header_.error;
}

LogSession::LoadOutcome LogSession::reload() { return index_.load(nativePath()); }

int LogSession::announce() { return presence_ ? presence_->announce(nativePath()) : 0; }

LogSession::AppendResult LogSession::append(const LogEntry &entry) {
    const Working working(working_);
    AppendResult out;
    const std::string row = logformat::encodeRow(entry.record());
    const std::string path = nativePath();
    bool mended = false;
    // A log emptied by another program starts again with its header row, as a new log does.
    if (logfile::stampOf(path).size == 0) {
        QString count;
        logfile::ensureHeader(path, columnHeaderRow(eventColumnTitles(store_, &count)), logfile::Sync::Yes,
                              logfile::Create::No);
        mended = true;  // the lines are read afresh
    }
    for (int attempt = 0; attempt < 3; ++attempt) {
        const logfile::AppendOutcome appended = logfile::appendRow(path, row, logfile::Sync::Yes);
        switch (appended.result) {
        case logfile::AppendOutcome::Result::Done:
            out.kind = AppendResult::Kind::Written;
            // Undo takes back what the observer wrote; the timer's markers stay.
            redo_.clear();
            if (logformat::markerOf(entry.comment.toStdString()) == logformat::Marker::None)
                undo_.push_back({appended.offset, row, entry.displayLine()});
            if (mended || !index_.appended(appended.offset, static_cast<long long>(row.size()), appended.before, appended.after)) {
                out.reloaded = true;  // another copy wrote to the file meanwhile: shown as it is
                out.load = reload();
            }
            return out;
        case logfile::AppendOutcome::Result::TailNotEnded:
            // New rows must not start inside a damaged one.
            out.tail = logfile::repairTail(path);
            if (out.tail.result == logfile::TailRepair::Result::Failed) {
                out.error = out.tail.error;
                return out;
            }
            mended = true;
            continue;
        case logfile::AppendOutcome::Result::Gone:
            out.kind = AppendResult::Kind::Gone;
            out.error = appended.error;
            return out;
        case logfile::AppendOutcome::Result::Failed:
            out.error = appended.error;
            return out;
        }
    }
    // Mended, and cut short again at once: something else is writing half rows into it.
    out.error = logfile::FileError::fromErrno(EBUSY);
    return out;
}

logfile::FileError LogSession::createAgain() { return writeHeader(path_); }

logfile::FileError LogSession::startAfresh() {
    const Working working(working_);
    undo_.clear();
    redo_.clear();
    ColumnHeaderOutcome fresh;
    fresh.titles = eventColumnTitles(store_, &fresh.buttonCount);
    // Replaced in one step by a file holding a fresh header row, so the log is never missing.
    const logfile::FileError error = logfile::startAfresh(nativePath(), columnHeaderRow(fresh.titles));
    if (!error || error.kind == logfile::FailureKind::NotFlushed)
        header_ = fresh;
    return error;
}

LogSession::CommentLookup LogSession::commentAt(std::size_t row) {
    CommentLookup out;
    if (index_.shape(row) == logformat::Shape::Damaged) {
        out.result = CommentLookup::Result::Damaged;
        return out;
    }
    const std::string shown = index_.displayLine(row);
    if (shown.empty() && index_.readError()) {
        out.error = index_.readError();  // a read that failed is said as one, not as a change
        return out;
    }
    // The record as the file holds it now, read alone: it must still be the line shown.
    const logfile::RecordAt found = logfile::readRecordAt(nativePath(), index_.offset(row));
    if (found.result == logfile::RecordAt::Result::Failed) {
        out.error = found.error;
        return out;
    }
    if (found.result == logfile::RecordAt::Result::Gone || found.displayLine != shown) {
        out.result = CommentLookup::Result::Changed;
        return out;
    }
    const logformat::Field &comment = found.record[logformat::Comment];
    out.comment = QString::fromStdString(comment.kind == logformat::Kind::Number ? logformat::formatNumber(comment.number)
                                                                                 : comment.text);
    out.result = CommentLookup::Result::Found;
    return out;
}

LogSession::CommentChange LogSession::changeComment(std::size_t row, const QString &comment) {
    const Working working(working_);
    CommentChange out;
    const logfile::CommentEdit edit =
        logfile::replaceComment(nativePath(), index_.offset(row), index_.displayLine(row), comment.toStdString());
    switch (edit.result) {
    case logfile::CommentEdit::Result::Done:
        shiftWritten(index_.offset(row), edit.newLength - edit.oldLength);
        index_.replaced(row, edit.oldLength, edit.newLength, edit.after);
        out.result = CommentChange::Result::Done;
        out.error = edit.error;
        break;
    case logfile::CommentEdit::Result::RecordGone:
    case logfile::CommentEdit::Result::RecordChanged:
        out.result = CommentChange::Result::Changed;
        break;
    case logfile::CommentEdit::Result::Failed:
        out.error = edit.error;
        break;
    }
    return out;
}

std::string LogSession::headerRow() const {
    QString count;
    return columnHeaderRow(eventColumnTitles(store_, &count));
}

QString LogSession::removedRowsPath() const {
    return QFile::decodeName(QByteArray::fromStdString(logfile::removedRowsPath(nativePath())));
}

void LogSession::shiftWritten(long long at, long long delta) {
    for (std::vector<Written> *stack : {&undo_, &redo_})
        for (Written &w : *stack)
            if (w.offset > at)
                w.offset += delta;
}

LogSession::RowChange::Result LogSession::whyEntryStays(std::size_t row) {
    using Result = RowChange::Result;
    logformat::RecordView fields;
    index_.fields(row, fields);
    if (row == 0 && fields[logformat::Date].text == logformat::kFixedTitles[0])
        return Result::Header;
    if (index_.shape(row) == logformat::Shape::Damaged)
        return Result::Damaged;
    if (logformat::markerOf(fields[logformat::Comment].text) != logformat::Marker::None)
        return Result::Marker;
    return Result::Done;
}

LogSession::RowChange LogSession::removeEntry(std::size_t row) {
    const Working working(working_);
    RowChange out;
    if (const RowChange::Result stays = whyEntryStays(row); stays != RowChange::Result::Done) {
        out.result = stays;
        return out;
    }
    const long long offset = index_.offset(row);
    const logfile::RowRemoval removal =
        logfile::removeRecord(nativePath(), offset, index_.displayLine(row), headerRow());
    out.error = removal.error;
    if (removal.result == logfile::CommentEdit::Result::RecordGone ||
        removal.result == logfile::CommentEdit::Result::RecordChanged)
        out.result = RowChange::Result::Changed;
    if (removal.result != logfile::CommentEdit::Result::Done)
        return out;
    const auto length = static_cast<long long>(removal.removed.size());
    index_.removed(row, length, removal.after);
    std::erase_if(undo_, [offset](const Written &w) { return w.offset == offset; });
    shiftWritten(offset, -length);
    out.result = RowChange::Result::Done;
    out.line = row;
    return out;
}

LogSession::RowChange LogSession::undoEntry() {
    RowChange out;
    if (undo_.empty()) {
        out.result = RowChange::Result::Nothing;
        return out;
    }
    const Written last = undo_.back();
    const std::size_t row = index_.lineAt(last.offset);
    if (row == index_.size() || index_.displayLine(row) != last.line) {
        undo_.pop_back();  // the log was changed behind the window: that row is not where it was written
        out.result = RowChange::Result::Changed;
        return out;
    }
    const Working working(working_);
    const logfile::RowRemoval removal = logfile::removeRecord(nativePath(), last.offset, last.line, headerRow());
    out.error = removal.error;
    if (removal.result == logfile::CommentEdit::Result::RecordGone ||
        removal.result == logfile::CommentEdit::Result::RecordChanged) {
        undo_.pop_back();
        out.result = RowChange::Result::Changed;
    }
    if (removal.result != logfile::CommentEdit::Result::Done)
        return out;
    undo_.pop_back();
    const auto length = static_cast<long long>(removal.removed.size());
    index_.removed(row, length, removal.after);
    shiftWritten(last.offset, -length);
    redo_.push_back({last.offset, removal.removed, last.line});  // byte for byte as it was
    out.result = RowChange::Result::Done;
    out.line = row;
    return out;
}

LogSession::RowChange LogSession::redoEntry() {
    RowChange out;
    if (redo_.empty()) {
        out.result = RowChange::Result::Nothing;
        return out;
    }
    const Working working(working_);
    const Written again = redo_.back();
    const logfile::RowInsertion insertion = logfile::insertRows(nativePath(), again.offset, again.bytes);
    out.error = insertion.error;
    if (insertion.placeGone) {
        redo_.pop_back();
        out.result = RowChange::Result::Changed;
        return out;
    }
    if (insertion.error && insertion.error.kind != logfile::FailureKind::NotFlushed)
        return out;
    redo_.pop_back();
    const auto length = static_cast<long long>(again.bytes.size());
    shiftWritten(again.offset - 1, length);
    index_.inserted(again.offset, length, insertion.after);
    undo_.push_back(again);
    out.result = RowChange::Result::Done;
    out.line = index_.lineAt(again.offset);
    return out;
}
