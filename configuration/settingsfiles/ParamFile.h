#pragma once

#include <QList>
#include <QMutex>
#include <QPair>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

class KnifeOffsets;
class ParamRows;

// The files the parameters live in, beside the program: the working file
// ("config.ini"; "tmp.ini" until a machine version is known) that every
// change is written through to, the operator's saved defaults
// ("configDefault.ini") and the machine versions' presets
// ("config/config<N>.ini"); and the load and save passes between the working
// file and the rows.
//
// One lock guards the working file's handle. Writers may hold the rows' lock
// while they write; the file never calls into the rows while holding its own.
class ParamFile
{
public:
    // The store's set operation, through which the load pass sets each row.
    using Set = std::function<void(int id, const QVariant &value)>;

    // Clears the lock files a crash left beside the files (SettingsRecovery).
    explicit ParamFile(const QString &appDir);
    ~ParamFile(); // what is pending reaches the disk

    QString cfgPath() const { return m_appDir + QStringLiteral("/config.ini"); }
    QString defaultCfgPath() const { return m_appDir + QStringLiteral("/configDefault.ini"); }
    QString tmpCfgPath() const { return m_appDir + QStringLiteral("/tmp.ini"); }
    // The file the handle is on; empty before open().
    QString fileName() const;

    // Opens the working file unless it is open: "config.ini" when it exists, else "tmp.ini".
    // A file with lines that are not settings is first copied aside (SettingsRecovery).
    void open();
    // Writes at once, or when the last open batch ends.
    void write(const QString &key, const QVariant &value);
    // Runs f on the handle under the lock (writers of whole sections), then writes like write().
    void edit(const std::function<void(QSettings &)> &f);

    // While a batch lives, the writes reach the disk once, when the last one ends.
    class Batch
    {
    public:
        explicit Batch(ParamFile &file);
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        ParamFile &m_file;
    };

    // The load pass: every row in load order, read from the working file and
    // converted to its type (a value that does not convert falls back to the
    // default, with a warning), registered with its key, default, label, group
    // and range, and set through set; the knife offsets of every knife.
    void load(ParamRows &rows, KnifeOffsets &knives, const Set &set);
    // One row of the load pass.
    void loadRow(ParamRows &rows, int id, const Set &set);
    // The save pass: every row's value (its default when it has none) and
    // every knife offset written back, so the file holds every key.
    void save(const ParamRows &rows, KnifeOffsets &knives);

    // Leaves the fallback file for "config.ini": a copy of the version's
    // preset, or without one a copy of the fallback itself, so the operator's
    // values are kept. True when it switched (the program restarts then);
    // false when already on "config.ini" or "config.ini" cannot be written.
    bool switchToPreset(int version);

    // The saved defaults: whether a file is there, values by key (invalid
    // where missing), all written (false when they could not be), one written.
    bool hasDefaults() const;
    QList<QVariant> readDefaults(const QStringList &keys) const;
    bool writeDefaults(const QList<QPair<QString, QVariant>> &values);
    void writeDefault(const QString &key, const QVariant &value);

private:
    void openLocked(const QString &path);
    void syncLocked();
    QVariant readAs(const QString &key, int type, const QVariant &fallback) const;

    const QString m_appDir;
    mutable QMutex m_lock;
    std::unique_ptr<QSettings> m_settings;
    int m_batches = 0;
    bool m_failed = false; // the working file could not be written (said once)
};
