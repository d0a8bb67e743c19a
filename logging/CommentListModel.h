#pragma once
// The comment list's model: one line per record of the log file, kept as UTF-8 in one block and
// turned into text only for the lines on screen.

#include "logio.h"

#include <QAbstractListModel>
#include <string_view>

class CommentListModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    // Cheaper than the inherited one, which asks rowCount and columnCount each time.
    QModelIndex index(int row, int column = 0, const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // Reads the lines afresh from the log file, reusing their memory. When the file cannot be
    // opened the lines stay as they were.
    logfile::LoadOutcome reload(const std::string &path);
    void appendLine(std::string_view line);
    QString line(int row) const;
    const logfile::DisplayLines &lines() const { return lines_; }

private:
    logfile::DisplayLines lines_;
};
