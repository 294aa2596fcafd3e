#include "configuration/parameters/ParamRows.h"

#include <QDate>
#include <QDebug>

#include <cmath>

ParamRows::ParamRows(WriteThrough writeThrough) : m_writeThrough(std::move(writeThrough)) {}

QVariant ParamRows::value(int id) const
{
    QMutexLocker lock(&m_lock);
    const auto it = m_rows.constFind(id);
    return it == m_rows.constEnd() ? QVariant(int(0)) : it->value;
}

ConfigParam ParamRows::row(int id) const
{
    QMutexLocker lock(&m_lock);
    return m_rows.value(id);
}

bool ParamRows::contains(int id) const
{
    QMutexLocker lock(&m_lock);
    return m_rows.contains(id);
}

bool ParamRows::store(int id, const QVariant &val, QVariant *old, bool memoryOnly)
{
    QMutexLocker lock(&m_lock);
    auto it = m_rows.find(id);
    if (it == m_rows.end()) {
        it = m_rows.insert(id, ConfigParam());
        it->key = id;
    }
    if (!memoryOnly && !it->iniKey.isEmpty() && m_writeThrough)
        m_writeThrough(it->iniKey, val);
    const bool changed = it->value != val;
    if (old)
        *old = it->value;
    it->value = val;
    return changed;
}

bool ParamRows::add(int id, double delta, QVariant *old, QVariant *now)
{
    QMutexLocker lock(&m_lock);
    auto it = m_rows.find(id);
    if (it == m_rows.end()) {
        it = m_rows.insert(id, ConfigParam());
        it->key = id;
    }
    const QVariant before = it->value;
    const int type = it->defaultValue.isValid() ? it->defaultValue.typeId() : before.typeId();
    if (type == QMetaType::Float)
        *now = QVariant(before.toFloat() + float(delta));
    else if (type == QMetaType::Double)
        *now = QVariant(before.toDouble() + delta);
    else
        *now = QVariant(int(quint32(qint64(before.toInt()) + qRound64(delta))));
    if (!it->iniKey.isEmpty() && m_writeThrough)
        m_writeThrough(it->iniKey, *now);
    *old = before;
    it->value = *now;
    return before != *now;
}

void ParamRows::define(int id, const QString &iniKey, const QVariant &defaultValue)
{
    QMutexLocker lock(&m_lock);
    ConfigParam &p = m_rows[id];
    p.key = id;
    p.iniKey = iniKey;
    p.defaultValue = defaultValue;
}

bool ParamRows::setLabel(int id, const QString &label, QVariant *value)
{
    QMutexLocker lock(&m_lock);
    const auto it = m_rows.find(id);
    if (it == m_rows.end())
        return false;
    it->showName = label;
    if (value)
        *value = it->value;
    return true;
}

void ParamRows::setRange(int id, double min, double max)
{
    QMutexLocker lock(&m_lock);
    ConfigParam &p = m_rows[id];
    p.key = id;
    p.min = min;
    p.max = max;
}

QList<int> ParamRows::outOfRange() const
{
    const ConfigParam fresh;
    QMutexLocker lock(&m_lock);
    QList<int> ids;
    for (const ConfigParam &p : m_rows) {
        if (p.min == fresh.min && p.max == fresh.max)
            continue;
        const double v = p.value.toDouble();
        if (v < p.min || v > p.max) {
            qWarning().noquote() << "ParamRows::outOfRange" << p.iniKey << "=" << p.value.toString() << "outside"
                                 << p.min << ".." << p.max << "- using the default" << p.defaultValue.toString();
            ids.append(p.key);
        }
    }
    return ids;
}

void ParamRows::resetGroups(const QStringList &names)
{
    QMutexLocker lock(&m_lock);
    m_groupNames = names;
    m_groups.clear();
}

QString ParamRows::groupName(int group) const
{
    QMutexLocker lock(&m_lock);
    return m_groupNames.value(group - 1);
}

void ParamRows::addToGroup(int group, int id)
{
    QMutexLocker lock(&m_lock);
    m_groups[m_groupNames.value(group - 1)].append(id);
}

QStringList ParamRows::groupNames() const
{
    QMutexLocker lock(&m_lock);
    return m_groups.keys();
}

QList<int> ParamRows::group(const QString &name) const
{
    QMutexLocker lock(&m_lock);
    return m_groups.value(name);
}

QList<int> ParamRows::groupedIds() const
{
    QMutexLocker lock(&m_lock);
    QList<int> ids;
    for (const QList<int> &members : m_groups)
        ids += members;
    return ids;
}

QVariant ParamRows::inRowType(int id, const QVariant &val) const
{
    const QVariant def = row(id).defaultValue;
    QVariant out;
    if (!def.isValid() || !convert(val, QMetaType::Type(def.typeId()), &out))
        return val;
    return out;
}

bool ParamRows::convert(const QVariant &raw, QMetaType::Type type, QVariant *out)
{
    bool ok = true;
    const QString text = raw.toString().trimmed();
    switch (type) {
    case QMetaType::Int: {
        const int v = raw.typeId() == QMetaType::Int ? raw.toInt() : text.toInt(&ok);
        *out = QVariant(v);
        break;
    }
    case QMetaType::UInt: {
        const uint v = raw.typeId() == QMetaType::UInt ? raw.toUInt() : text.toUInt(&ok);
        *out = QVariant(v);
        break;
    }
    case QMetaType::Float: {
        const float v = text.toFloat(&ok);
        ok = ok && std::isfinite(v);
        *out = QVariant(v);
        break;
    }
    case QMetaType::Double: {
        const double v = text.toDouble(&ok);
        ok = ok && std::isfinite(v);
        *out = QVariant(v);
        break;
    }
    case QMetaType::Bool: {
        if (raw.typeId() == QMetaType::Bool) {
            *out = raw;
        } else if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || text == QLatin1String("1")) {
            *out = QVariant(true);
        } else if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || text == QLatin1String("0")) {
            *out = QVariant(false);
        } else {
            ok = false;
        }
        break;
    }
    case QMetaType::QDate: {
        QDate d = raw.typeId() == QMetaType::QDate ? raw.toDate() : QDate::fromString(text, Qt::ISODate);
        // The settings file keeps dates in an old stream format that reads
        // Julian day 0, the default of every date row, back as a null date.
        if (raw.typeId() == QMetaType::QDate && d.isNull())
            d = QDate::fromJulianDay(0);
        ok = d.isValid();
        *out = QVariant(d);
        break;
    }
    case QMetaType::QString:
        // A list (an unquoted comma in the file) is taken back as the text it was.
        *out = raw.typeId() == QMetaType::QStringList ? QVariant(raw.toStringList().join(QLatin1Char(',')))
                                                       : QVariant(raw.toString());
        break;
    default:
        *out = raw;
        break;
    }
    return ok;
}
