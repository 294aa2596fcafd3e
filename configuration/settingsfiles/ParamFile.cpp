#include "configuration/settingsfiles/ParamFile.h"

#include "configuration/Config.h"
#include "configuration/parameters/KnifeOffsets.h"
#include "configuration/records/Log.h"
#include "configuration/parameters/ParamRows.h"
#include "configuration/parameters/ParamTable.h"
#include "configuration/settingsfiles/SettingsRecovery.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace {

// Whether a settings file can be written: the file itself, or its folder when it is new.
bool canWrite(const QString &path)
{
    const QFileInfo fi(path);
    return fi.exists() ? fi.isWritable() : QFileInfo(fi.absolutePath()).isWritable();
}

bool sameFile(const QString &a, const QString &b)
{
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

} // namespace

ParamFile::ParamFile(const QString &appDir) : m_appDir(appDir)
{
    // A lock file left by a crash would hold the first write back for half a minute.
    for (const QString &path : {cfgPath(), tmpCfgPath(), defaultCfgPath()})
        SettingsRecovery::clearStaleLock(path);
}

ParamFile::~ParamFile()
{
    QMutexLocker lock(&m_lock);
    if (m_settings)
        m_settings->sync();
}

QString ParamFile::fileName() const
{
    QMutexLocker lock(&m_lock);
    return m_settings ? m_settings->fileName() : QString();
}

void ParamFile::open()
{
    QMutexLocker lock(&m_lock);
    if (!m_settings)
        openLocked(QFile::exists(cfgPath()) ? cfgPath() : tmpCfgPath());
}

void ParamFile::openLocked(const QString &path)
{
    m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    // The file is parsed on first use; its status is known after the next sync.
    m_settings->allKeys();
    m_settings->sync();
    if (m_settings->status() != QSettings::FormatError)
        return;
    // What could not be read is gone with the next write: the file as it was is kept for the operator.
    const QString copy = SettingsRecovery::keepAside(path);
    qWarning().noquote() << "ParamFile::open" << path
                         << "has lines that are not settings: they are left out when the file is written;"
                         << (copy.isEmpty() ? QStringLiteral("no copy of it could be kept")
                                            : QStringLiteral("the file as it was is kept as ") + copy);
}

void ParamFile::write(const QString &key, const QVariant &value)
{
    edit([&](QSettings &settings) { settings.setValue(key, value); });
}

void ParamFile::edit(const std::function<void(QSettings &)> &f)
{
    QMutexLocker lock(&m_lock);
    if (!m_settings)
        return;
    f(*m_settings);
    if (m_batches == 0)
        syncLocked();
}

void ParamFile::syncLocked()
{
    if (!m_settings)
        return;
    m_settings->sync();
    // A file with lines that are not settings reports FormatError from then
    // on, yet is written all the same: only a file that cannot be written is a failure.
    const QSettings::Status status = m_settings->status();
    const bool failed = status == QSettings::AccessError
        || (status == QSettings::FormatError && !QFileInfo(m_settings->fileName()).isWritable());
    if (failed && !m_failed)
        qCritical().noquote() << "ParamFile::sync" << "cannot write" << m_settings->fileName()
                              << ": settings are kept in memory only";
    m_failed = failed;
}

ParamFile::Batch::Batch(ParamFile &file) : m_file(file)
{
    QMutexLocker lock(&m_file.m_lock);
    ++m_file.m_batches;
}

ParamFile::Batch::~Batch()
{
    QMutexLocker lock(&m_file.m_lock);
    if (--m_file.m_batches == 0)
        m_file.syncLocked();
}

QVariant ParamFile::readAs(const QString &key, int type, const QVariant &fallback) const
{
    QVariant raw;
    {
        QMutexLocker lock(&m_lock);
        raw = m_settings ? m_settings->value(key) : QVariant();
    }
    QVariant value = fallback;
    if (raw.isValid() && !ParamRows::convert(raw, QMetaType::Type(type), &value)) {
        qWarning().noquote() << "ParamFile::load" << "bad value for" << key << ":" << raw.toString()
                             << "- using the default" << fallback.toString();
        value = fallback;
    }
    qInfo().noquote() << "ParamFile::load" << "read cfg: " << key << value.toString() << fallback.toString();
    return value;
}

void ParamFile::load(ParamRows &rows, KnifeOffsets &knives, const Set &set)
{
    open();
    for (int id : loadOrder()) {
        if (id == KnifeOffsetsSlot) {
            for (int knife = 0; knife == 0 || knife < rows.value(Config::CPT_Knife_Num).toInt(); ++knife) {
                for (KnifeOffsets::Axis axis : {KnifeOffsets::X, KnifeOffsets::Y})
                    knives.load(axis, knife, readAs(KnifeOffsets::key(axis, knife), QMetaType::Double, 0.0).toDouble());
            }
        } else if (id == Version7x4RowsSlot) {
            if (rows.value(Config::CPT_Version).toInt() == Config::VT_7x4) {
                for (int row : version7x4Rows())
                    loadRow(rows, row, set);
            }
        } else {
            loadRow(rows, id, set);
        }
    }
}

// A row's default, the language's from the system's.
static QVariant defaultOf(const ParamDef &def)
{
    if (def.id == Config::CPT_Language)
        return QVariant(QLocale::system().language() == QLocale::English ? 1 : 0);
    return def.defaultValue;
}

void ParamFile::loadRow(ParamRows &rows, int id, const Set &set)
{
    const ParamDef *def = paramDef(id);
    if (!def)
        return;
    const QString key = QString::fromLatin1(def->key);
    const QVariant fallback = defaultOf(*def);
    const QVariant value = readAs(key, def->type, fallback);
    rows.define(id, key, fallback);
    set(id, value);
    if (def->label) {
        rows.setLabel(id, QCoreApplication::translate("Config", def->label));
        rows.addToGroup(def->group, id);
    }
    if (def->min != 0.0 || def->max != 999.0)
        rows.setRange(id, def->min, def->max);
}

void ParamFile::save(const ParamRows &rows, KnifeOffsets &knives)
{
    open();
    Batch batch(*this);
    auto saveRow = [&](int id) {
        if (const ParamDef *def = paramDef(id)) {
            const QVariant v = rows.value(id);
            write(QString::fromLatin1(def->key), v.isValid() ? v : defaultOf(*def));
        }
    };
    for (int id : loadOrder()) {
        if (id == KnifeOffsetsSlot) {
            for (int knife = 0; knife == 0 || knife < rows.value(Config::CPT_Knife_Num).toInt(); ++knife) {
                for (KnifeOffsets::Axis axis : {KnifeOffsets::X, KnifeOffsets::Y})
                    write(KnifeOffsets::key(axis, knife), knives.slot(axis, knife));
            }
        } else if (id == Version7x4RowsSlot) {
            if (rows.value(Config::CPT_Version).toInt() == Config::VT_7x4) {
                for (int row : version7x4Rows())
                    saveRow(row);
            }
        } else {
            saveRow(id);
        }
    }
}

bool ParamFile::switchToPreset(int version)
{
    QMutexLocker lock(&m_lock);
    if (!m_settings || sameFile(m_settings->fileName(), cfgPath()))
        return false;
    const QString preset = QStringLiteral("%1/config/config%2.ini").arg(m_appDir).arg(version);
    qInfo().noquote() << "ParamFile::switchToPreset" << preset;
    const QString fallback = m_settings->fileName();
    m_settings->sync();
    m_settings.reset();
    bool switched = copyFile(preset, cfgPath());
    if (!switched) {
        qWarning().noquote() << "ParamFile::switchToPreset" << "no preset for this version, keeping" << fallback;
        switched = copyFile(fallback, cfgPath());
    }
    if (!switched) {
        qCritical().noquote() << "ParamFile::switchToPreset" << "cannot write" << cfgPath() << "- staying on" << fallback;
        openLocked(fallback);
        return false;
    }
    QFile::remove(fallback);
    openLocked(cfgPath());
    return true;
}

bool ParamFile::hasDefaults() const
{
    return QFileInfo(defaultCfgPath()).isFile();
}

QList<QVariant> ParamFile::readDefaults(const QStringList &keys) const
{
    const QSettings defaults(defaultCfgPath(), QSettings::IniFormat);
    QList<QVariant> values;
    for (const QString &key : keys)
        values.append(key.isEmpty() ? QVariant() : defaults.value(key));
    return values;
}

bool ParamFile::writeDefaults(const QList<QPair<QString, QVariant>> &values)
{
    if (!canWrite(defaultCfgPath()))
        return false;
    QSettings defaults(defaultCfgPath(), QSettings::IniFormat);
    for (const auto &v : values)
        defaults.setValue(v.first, v.second);
    defaults.sync();
    return defaults.status() == QSettings::NoError;
}

void ParamFile::writeDefault(const QString &key, const QVariant &value)
{
    if (key.isEmpty() || !canWrite(defaultCfgPath()))
        return;
    QSettings(defaultCfgPath(), QSettings::IniFormat).setValue(key, value);
}
