// Firmware for the controller's modules: the whole file in one "UPG" frame,
// the progress that the controller reports back, and the watch that ends a
// transfer which has stopped reporting. One transfer at a time: upgrading
// holds from the send until the controller reports 100 % (or more) or the
// transfer breaks off.
#include "device/Varnok120X.h"
#include "device/link/FrameCodec.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace {

// Far above any module's firmware; a bigger file is the wrong one, and would
// be read whole into memory and sent in one frame.
constexpr qint64 kMaxFirmwareBytes = 64 * 1024 * 1024;

} // namespace

void Varnok120X::slotUpgrade(int upgradeMode, QByteArray upgradeFile, QVariantMap paramList)
{
    Q_UNUSED(paramList)
    setIndex(upgradeMode);
    sendFirmware(upgradeMode, upgradeFile);
}

void Varnok120X::update()
{
    const QString path = updateFile();
    const QFileInfo info(path);
    QByteArray data;
    QString why;
    if (info.isFile() && info.size() > kMaxFirmwareBytes) {
        why = tr("固件文件过大：%1").arg(path);
    } else {
        // A folder or a device is no firmware file either.
        QFile file(path);
        bool whole = info.isFile() && file.open(QIODevice::ReadOnly);
        if (whole) {
            data = file.readAll();
            whole = data.size() == file.size();
        }
        if (!whole)
            why = tr("无法读取固件文件：%1").arg(path);
    }
    if (!why.isEmpty()) {
        qCritical().noquote() << "Varnok120X::update" << why;
        // The page must not go on showing the last transfer's progress.
        if (!upgrading())
            setUpdateProgress(0.0);
        setErrorMessage(why);
        return;
    }
    sendFirmware(index(), data);
}

bool Varnok120X::sendFirmware(int module, const QByteArray &file)
{
    if (file.isEmpty()) {
        qCritical().noquote() << "Varnok120X::slotUpgrade" << "empty firmware file for module" << module;
        if (!upgrading())
            setUpdateProgress(0.0);
        setErrorMessage(tr("固件文件为空"));
        return false;
    }
    // A second frame would reach a module still busy with the first.
    if (upgrading()) {
        qCritical().noquote() << "Varnok120X::slotUpgrade" << "a transfer is under way, module" << module << "not sent";
        setErrorMessage(tr("请等待升级结束"));
        return false;
    }
    // A new transfer starts from nothing, whatever the last one reached.
    setUpdateProgress(0.0);
    if (!isLinked()) {
        qCritical().noquote() << "Varnok120X::slotUpgrade" << "not linked, firmware not sent, module" << module;
        setErrorMessage(tr("设备未连接，请重启设备或者选择设备 \n"));
        return false;
    }
    // The file's bytes as they are, 0x02 and 0x03 included: the controller
    // frames firmware by the length field, and sendMsg writes the frame
    // whole under the send lock, so no command lands inside it.
    const QByteArray frame = FrameCodec::frameRaw(QStringLiteral("UPG;%1;").arg(module).toLocal8Bit() + file);
    m_state.noteUpgradeProgress();
    setUpgrading(true);
    qInfo().noquote() << "Varnok120X::slotUpgrade" << "module" << module << "bytes" << file.size();
    const bool started = m_threads.start(QStringLiteral("firmware"), [this, frame, module] {
        if (sendMsg(frame))
            return;
        qCritical().noquote() << "Varnok120X::slotUpgrade" << "firmware of module" << module << "not sent";
        setUpdateProgress(0.0);
        setUpgrading(false);
        setErrorMessage(tr("固件升级中断，请重新升级"));
    });
    if (!started) {
        qWarning().noquote() << "Varnok120X::slotUpgrade" << "driver is closing, not sent" << frame.size();
        setUpgrading(false);
    }
    return started;
}

void Varnok120X::setUpgrading(bool on)
{
    if (!m_state.upgrading.set(on))
        return;
    emit upgradingChanged();
    if (on)
        startUpgradeWatch();
}

void Varnok120X::startUpgradeWatch()
{
    QMetaObject::invokeMethod(this, [this] {
        if (!m_upgradeWatch) {
            m_upgradeWatch = new QTimer(this);
            connect(m_upgradeWatch, &QTimer::timeout, this, &Varnok120X::checkUpgrade);
        }
        m_upgradeWatch->setInterval(qBound(20, m_upgradeStallMs.load() / 4, 1000));
        m_upgradeWatch->start();
    });
}

void Varnok120X::noteUpgradeProgress(double progress)
{
    m_state.noteUpgradeProgress();
    setUpdateProgress(progress);
    // 100 % or more is the end; a report on its way there means a transfer
    // runs, also one this program did not send (it was restarted meanwhile).
    if (progress >= 100.0)
        setUpgrading(false);
    else if (progress > 0.0)
        setUpgrading(true);
}

bool Varnok120X::isUpgrading() const
{
    // A progress short of 100 % also counts, however it was set.
    const double progress = updateProgress();
    if (!(upgrading() || (progress > 0.0 && progress < 100.0)) || !isLinked())
        return false;
    // Silent for longer than a transfer may be: over, whether or not the
    // watch has cleared it yet.
    const qint64 quiet = m_state.upgradeQuietMs();
    return quiet < 0 || quiet <= m_upgradeStallMs.load();
}

void Varnok120X::checkUpgrade()
{
    if (!upgrading()) {
        m_upgradeWatch->stop();
        return;
    }
    const qint64 quiet = m_state.upgradeQuietMs();
    const bool stalled = quiet < 0 || quiet > m_upgradeStallMs.load();
    if (isLinked() && !stalled)
        return;
    m_upgradeWatch->stop();
    // The controller went away or fell silent half-way: the transfer is
    // over, and it must not keep the program from closing.
    qCritical().noquote() << "Varnok120X::checkUpgrade" << (isLinked() ? "no progress for" : "link lost after") << quiet
                          << "ms at" << updateProgress() << "%";
    setUpdateProgress(0.0);
    setUpgrading(false);
    setErrorMessage(tr("固件升级中断，请重新升级"));
}
