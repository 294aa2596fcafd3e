#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class UpgradesWidget;
class Varnok120X;

// Between the upgrade dialogs and the machine: the firmware check of every
// board module whenever the controller reports its boards (one dialog for the
// run, its chosen firmware handed to the driver, the transfer's progress
// relayed back), and the start of the outside upgrade tool ("runtool.sh" in
// the program's folder) for a software update.
class UpgradeHandover : public QObject
{
    Q_OBJECT
public:
    using Lookup = std::function<QString()>;
    static constexpr const char *kTool = "runtool.sh";

    explicit UpgradeHandover(const QString &programDir, QObject *parent = nullptr);
    ~UpgradeHandover() override;

    void setDriver(Varnok120X *driver);
    // Where the host's public address and location come from; each is asked
    // once per check, on the GUI thread, and may run a local event loop.
    void setHostLookup(Lookup ip, Lookup location);

    // One query per module to the firmware dialog (created on the first call).
    // A call while one runs (from within a lookup's loop) runs once after it.
    void upgrade();
    UpgradesWidget *firmwareWidget() const { return m_firmware; }
    void closeDialog();
    // Starts the tool, detached, in the program's folder, without arguments
    // and without a shell; false (logged, told through the driver's error
    // message) when it is missing or does not start.
    bool startTool();

private:
    void check();
    void relayProgress();

    QString m_programDir;
    QPointer<Varnok120X> m_driver;
    Lookup m_ip, m_location;
    UpgradesWidget *m_firmware = nullptr;
    QMetaObject::Connection m_toDriver, m_fromDriver;
    bool m_checking = false;
    bool m_again = false;
};
