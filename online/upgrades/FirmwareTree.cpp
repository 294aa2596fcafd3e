#include "online/upgrades/FirmwareTree.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonObject>
#include <QStandardItemModel>

namespace {
// Which of the three kinds of row a column-0 item is: texts are translated,
// the kind is not.
constexpr int kKindRole = Qt::UserRole + 2;
enum Kind { Current = 1, Latest, History };

QList<QStandardItem *> row(const QString &caption, int kind, const QString &version, const QString &date,
                           const QVariantMap &record = {})
{
    auto *first = new QStandardItem(caption);
    first->setData(kind, kKindRole);
    auto *cell = new QStandardItem(version);
    if (!record.isEmpty())
        cell->setData(record, FirmwareTree::kRecordRole);
    return {first, cell, new QStandardItem(date)};
}

QString text(const QVariantMap &record, const char *key)
{
    return record.value(QLatin1String(key)).toString();
}
} // namespace

FirmwareTree::FirmwareTree()
    : m_model(new QStandardItemModel(0, 3))
{
    m_model->setHorizontalHeaderLabels({tr("模块"), tr("版本"), tr("发布日期")});
}

FirmwareTree::~FirmwareTree()
{
    delete m_model;
}

void FirmwareTree::removeModule(int module)
{
    QStandardItem *item = m_modules.take(module);
    if (item)
        m_model->removeRow(item->row());
}

QModelIndex FirmwareTree::addModule(int module, const QString &name, const QString &currentFirmNo,
                                    const QList<QVariantMap> &rows)
{
    if (rows.isEmpty())
        return {};
    QStandardItem *top = m_modules.value(module);
    if (!top) {
        top = new QStandardItem(name.isEmpty() ? text(rows.first(), "firmModuleStr") : name);
        m_model->appendRow({top, new QStandardItem, new QStandardItem});
        m_modules.insert(module, top);
    }
    const QList<QStandardItem *> current = row(tr("当前版本"), Current, currentFirmNo, QString());
    top->appendRow(current);
    const QVariantMap &latest = rows.first();
    const QList<QStandardItem *> latestRow = row(tr("最新版本"), Latest, text(latest, "firmNo"), text(latest, "releaseDate"), latest);
    top->appendRow(latestRow);
    if (rows.size() > 1) {
        auto *history = new QStandardItem(tr("历史版本"));
        history->setData(History, kKindRole);
        top->appendRow({history, new QStandardItem, new QStandardItem});
        for (qsizetype i = 1; i < rows.size(); ++i) {
            const QVariantMap &older = rows.at(i);
            history->appendRow(row(tr("历史版本"), History, text(older, "firmNo"), text(older, "releaseDate"), older));
            if (older.value(QStringLiteral("isCurrentVersion")).toBool())
                current.at(2)->setText(text(older, "releaseDate"));
        }
    }
    return latestRow.at(1)->index();
}

QModelIndex FirmwareTree::versionCell(const QModelIndex &index)
{
    return index.isValid() ? index.siblingAtColumn(1) : QModelIndex();
}

QVariantMap FirmwareTree::record(const QModelIndex &index)
{
    return versionCell(index).data(kRecordRole).toMap();
}

bool FirmwareTree::isLatest(const QModelIndex &index)
{
    return index.isValid() && index.siblingAtColumn(0).data(kKindRole).toInt() == Latest;
}

int FirmwareTree::moduleOf(const QModelIndex &index) const
{
    QModelIndex top = index.siblingAtColumn(0);
    while (top.parent().isValid())
        top = top.parent();
    for (auto it = m_modules.cbegin(); it != m_modules.cend(); ++it) {
        if (top.isValid() && it.value()->index() == top)
            return it.key();
    }
    return -1;
}

QList<QVariantMap> FirmwareTree::acceptRows(int module, const QJsonArray &rows, const char *origin)
{
    QList<QVariantMap> accepted;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QJsonObject object = rows.at(i).toObject();
        const QJsonValue firmNo = object.value(QStringLiteral("firmNo"));
        const QJsonValue rowModule = object.value(QStringLiteral("firmModule"));
        QString why;
        if (!rows.at(i).isObject())
            why = QStringLiteral("not an object");
        else if (!firmNo.isString() && !firmNo.isDouble())
            why = QStringLiteral("no firmNo");
        else if (!rowModule.isUndefined() && (!rowModule.isDouble() || rowModule.toInt(-1) != module))
            why = QStringLiteral("for module %1").arg(rowModule.toVariant().toString());
        if (!why.isEmpty()) {
            // The file of a row goes to the board of the query it answers: never another.
            qWarning().noquote() << origin << "row" << i << "of module" << module << "dropped:" << why;
            continue;
        }
        QVariantMap record = object.toVariantMap();
        record.insert(QStringLiteral("firmModule"), module);
        accepted << record;
    }
    return accepted;
}
