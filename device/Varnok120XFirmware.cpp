// Firmware for the controller's modules: the whole file in one "UPG" frame,
// the progress that the controller reports back, and the watch that ends a
// transfer which has stopped reporting.
#include "FrameCodec.h"
#include "Varnok120X.h"

#include <QDebug>
#include <QFile>
#include <QTimer>

void Varnok120X::slotUpgrade(int upgradeMode, QByteArray upgradeFile, QVariantMap paramList)
{
    Q_UNUSED(paramList)
    setIndex(upgradeMode);
    sendFirmware(upgradeMode, upgradeFile);
}

void Varnok120X::update()
{
    const QString path = updateFile();
    QFile file(path);
    QByteArray data;
    bool whole = file.open(QIODevice::ReadOnly);
    if (whole) {
        data = file.readAll();
        whole = data.size() == file.size();
    }
    if (!whole) {
        qCritical().noquote() << "Varnok120X::update" << "cannot read the firmware file" << path << file.errorString();
        // The page must not go on showing the last transfer's progress.
        setUpdateProgress(0.0);
        setErrorMessage(tr("无法读取固件文件：%1").arg(path));
        return;
    }
    sendFirmware(index(), data);
}

bool Varnok120X::sendFirmware(int module, const QByteArray &file)
{
    // A new transfer starts from nothing, whatever the last one reached.
    setUpdateProgress(0.0);
    if (file.isEmpty()) {
        qCritical().noquote() << "Varnok120X::slotUpgrade" << "empty firmware file for module" << module;
        setErrorMessage(tr("固件文件为空"));
        return false;
    }
    if (!isLinked()) {
        qCritical().noquote() << "Varnok120X::slotUpgrade" << "not linked, firmware not sent, module" << module;
        setErrorMessage(tr("设备未连接，请重启设备或者选择设备 \n"));
        return false;
    }
    // The file's bytes as they are, 0x02 and 0x03 included: the controller
    // frames firmware by the length field, and sendMsg writes the frame
    // whole under the send lock, so no command lands inside it.
    const QByteArray payload = QStringLiteral("UPG;%1;").arg(module).toLocal8Bit() + file;
    m_state.noteUpgradeProgress();
    qInfo().noquote() << "Varnok120X::slotUpgrade" << "module" << module << "bytes" << file.size();
    asyncSend(FrameCodec::frameRaw(payload));
    QMetaObject::invokeMethod(this, [this] {
        if (!m_upgradeWatch) {
            m_upgradeWatch = new QTimer(this);
            connect(m_upgradeWatch, &QTimer::timeout, this, &Varnok120X::checkUpgrade);
        }
        m_upgradeWatch->setInterval(qBound(20, m_upgradeStallMs.load() / 4, 1000));
        m_upgradeWatch->start();
    });
    return true;
}

void Varnok120X::noteUpgradeProgress(double progress)
{
    m_state.noteUpgradeProgress();
    setUpdateProgress(progress);
}

bool Varnok120X::isUpgrading() const
{
    const double progress = updateProgress();
    if (qFuzzyIsNull(progress) || qFuzzyCompare(progress, 100.0) || !isLinked())
        return false;
    // Silent for longer than a transfer may be: over, whether or not the
    // watch has cleared it yet.
    const qint64 quiet = m_state.upgradeQuietMs();
    return quiet < 0 || quiet <= m_upgradeStallMs.load();
}

void Varnok120X::checkUpgrade()
{
    const double progress = updateProgress();
    const bool underWay = !qFuzzyIsNull(progress) && !qFuzzyCompare(progress, 100.0);
    const qint64 quiet = m_state.upgradeQuietMs();
    const bool stalled = quiet < 0 || quiet > m_upgradeStallMs.load();
    if (isLinked() && !stalled) {
        if (qFuzzyCompare(progress, 100.0))
            m_upgradeWatch->stop();
        return;
    }
    m_upgradeWatch->stop();
    if (!underWay)
        return;
    // The controller went away or fell silent half-way: the transfer is
    // over, and it must not keep the program from closing.
    qCritical().noquote() << "Varnok120X::checkUpgrade" << (isLinked() ? "no progress for" : "link lost after") << quiet
                          << "ms at" << progress << "%";
    setUpdateProgress(0.0);
    setErrorMessage(tr("固件升级中断，请重新升级"));
}
