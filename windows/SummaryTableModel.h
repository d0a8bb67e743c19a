#pragma once
// The session summary's table as a model: the view asks for the cells it shows, so a session of
// ten thousand participants fills at once instead of item by item.

#include "core/summary.h"

#include <QAbstractTableModel>
#include <QStringList>

class SummaryTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void setSummary(const logsummary::Summary &summary);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QStringList columns_;
    std::vector<std::vector<logformat::Field>> rows_;
    std::size_t firstTotal_ = 0;  // participant totals and scenario statistics from here on
};
