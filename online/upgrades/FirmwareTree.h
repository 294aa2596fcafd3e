#pragma once

#include <QCoreApplication>
#include <QList>
#include <QMap>
#include <QModelIndex>
#include <QString>
#include <QVariantMap>

class QJsonArray;
class QStandardItem;
class QStandardItemModel;

// The firmware dialog's version tree, columns "模块", "版本", "发布日期": per
// module a top-level row holding "当前版本" (the board's firmware), "最新版本"
// and, when the service named older versions, "历史版本" with one row each. A
// version cell that can be installed carries the service's row (a map) under
// kRecordRole.
class FirmwareTree
{
    Q_DECLARE_TR_FUNCTIONS(UpgradesWidget)
public:
    static constexpr int kRecordRole = Qt::UserRole + 1;

    FirmwareTree();
    ~FirmwareTree();
    FirmwareTree(const FirmwareTree &) = delete;
    FirmwareTree &operator=(const FirmwareTree &) = delete;

    QStandardItemModel *model() const { return m_model; }
    bool hasModule(int module) const { return m_modules.contains(module); }
    QList<int> modules() const { return m_modules.keys(); }
    // The module's rows leave the tree, with everything under them.
    void removeModule(int module);
    // The module's rows for the service's rows (newest first; at least one);
    // returns the "最新版本" row's version cell.
    QModelIndex addModule(int module, const QString &name, const QString &currentFirmNo, const QList<QVariantMap> &rows);

    // The version cell of index's row, and the row record it carries (empty
    // for a module row, "当前版本" and "历史版本").
    static QModelIndex versionCell(const QModelIndex &index);
    static QVariantMap record(const QModelIndex &index);
    // Whether index's row is a module's "最新版本" row.
    static bool isLatest(const QModelIndex &index);
    // The module whose rows hold index; -1 when none.
    int moduleOf(const QModelIndex &index) const;

    // The service's rows that may stand for module: objects with a "firmNo",
    // whose "firmModule" (an integer where given) is that module. What is
    // dropped is logged under origin.
    static QList<QVariantMap> acceptRows(int module, const QJsonArray &rows, const char *origin);

private:
    QStandardItemModel *m_model;
    QMap<int, QStandardItem *> m_modules;
};
