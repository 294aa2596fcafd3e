#include "Config.h"

#include "ParamTable.h"

#include <QDebug>

// Per-knife offsets of the mark camera. Knife 0 is stored under the key
// without a number, knife n under the key with n appended.

QString Config::knifeKey(const char *baseKey, int knife)
{
    const QString base = QString::fromLatin1(baseKey);
    return knife == 0 ? base : base + QString::number(knife);
}

void Config::updateKnifeOffset(const QString &key, QMap<int, double> &map, int knife, bool bSave)
{
    QMutexLocker lock(&m_lock);
    if (!map.contains(knife))
        map.insert(knife, 0.0);
    if (bSave) {
        if (m_settings)
            m_settings->setValue(key, map.value(knife));
        return;
    }
    const QVariant raw = m_settings ? m_settings->value(key) : QVariant();
    QVariant value(0.0);
    if (raw.isValid() && !convertStored(raw, QMetaType::Double, &value)) {
        qWarning().noquote() << "Config::updateValue" << "bad value for" << key << ":" << raw.toString()
                             << "- using the default 0";
        value = 0.0;
    }
    map[knife] = value.toDouble();
    qInfo().noquote() << "Config::updateValue" << "read cfg: " << key << value.toDouble();
}

double Config::markCameraOffsetX(int knife) const
{
    QMutexLocker lock(&m_lock);
    return m_markCameraOffsetX.value(knife, 0.0);
}

double Config::markCameraOffsetY(int knife) const
{
    QMutexLocker lock(&m_lock);
    return m_markCameraOffsetY.value(knife, 0.0);
}

void Config::setKnifeOffset(QMap<int, double> &map, const char *baseKey, int knife, double mm,
                            void (Config::*changed)())
{
    {
        QMutexLocker lock(&m_lock);
        auto it = map.constFind(knife);
        if (it != map.constEnd() && it.value() == mm)
            return;
        map.insert(knife, mm);
        if (m_settings) {
            m_settings->setValue(knifeKey(baseKey, knife), mm);
            if (m_deferSync == 0)
                syncSettings();
        }
    }
    emit(this->*changed)();
}

void Config::setMarkCameraOffsetX(int knife, double mm)
{
    setKnifeOffset(m_markCameraOffsetX, "Dravolinte/Mark_Camera_Offset_X", knife, mm, &Config::markCameraOffsetXChanged);
}

void Config::setMarkCameraOffsetY(int knife, double mm)
{
    setKnifeOffset(m_markCameraOffsetY, "Dravolinte/Mark_Camera_Offset_Y", knife, mm, &Config::markCameraOffsetYChanged);
}

double Config::markCameraOffsetX() const
{
    return markCameraOffsetX(knifeNo());
}

double Config::markCameraOffsetY() const
{
    return markCameraOffsetY(knifeNo());
}

void Config::setMarkCameraOffsetX(double mm)
{
    setMarkCameraOffsetX(knifeNo(), mm);
}

void Config::setMarkCameraOffsetY(double mm)
{
    setMarkCameraOffsetY(knifeNo(), mm);
}
