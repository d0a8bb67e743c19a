#pragma once
// The comment list's lines: one per record of the current log file, built from the file when
// the list shows them.

#include "core/logindex.h"
#include "ui/CommentList.h"

class CommentLines final : public CommentListSource {
public:
    explicit CommentLines(logfile::LogIndex &index) : index_(index) {}

    int lineCount() const override { return static_cast<int>(index_.size()); }
    QString lineText(int row) const override {
        const std::string text = index_.displayLine(static_cast<std::size_t>(row));  // reading fills its cache
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    QString line(int row) const { return lineText(row); }

private:
    logfile::LogIndex &index_;
};
