#include "windows/SummaryTableModel.h"

#include <QFont>

void SummaryTableModel::setSummary(const logsummary::Summary &summary) {
    beginResetModel();
    columns_.clear();
    for (const std::string &title : logsummary::tableColumns(summary))
        columns_ << QString::fromStdString(title);
    rows_ = logsummary::tableRows(summary);
    firstTotal_ = summary.groups.size();
    endResetModel();
}

int SummaryTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int SummaryTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant SummaryTableModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid())
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    const logformat::Field &cell = rows_[row][static_cast<std::size_t>(index.column())];
    switch (role) {
    case Qt::DisplayRole:
        if (cell.kind == logformat::Kind::Number)
            return QString::fromStdString(logformat::formatNumber(cell.number));
        return cell.kind == logformat::Kind::Text ? QString::fromStdString(cell.text) : QString();
    case Qt::TextAlignmentRole:
        return cell.kind == logformat::Kind::Number ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::FontRole:
        // Totals and statistics in bold, so the three parts of the table stand apart.
        if (row >= firstTotal_) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    default:
        return {};
    }
}

QVariant SummaryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columns_.size())
        return columns_[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}
