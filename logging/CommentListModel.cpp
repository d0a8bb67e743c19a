#include "CommentListModel.h"

int CommentListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QModelIndex CommentListModel::index(int row, int column, const QModelIndex &parent) const {
    if (parent.isValid() || column != 0 || row < 0 || static_cast<std::size_t>(row) >= lines_.size())
        return {};
    return createIndex(row, column);
}

QVariant CommentListModel::data(const QModelIndex &index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    return line(index.row());
}

logfile::LoadOutcome CommentListModel::reload(const std::string &path) {
    logfile::LoadOutcome outcome;
    logfile::RecordReader reader;
    outcome.openError = reader.open(path);
    if (outcome.openError)
        return outcome;
    beginResetModel();
    outcome.end = logfile::readDisplayLines(reader, lines_);
    endResetModel();
    return outcome;
}

void CommentListModel::appendLine(std::string_view line) {
    const int row = rowCount();
    beginInsertRows({}, row, row);
    lines_.append(line);
    endInsertRows();
}

QString CommentListModel::line(int row) const {
    const std::string_view text = lines_.line(static_cast<std::size_t>(row));
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
