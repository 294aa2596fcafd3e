// Cut data for the controller: a transfer is announced by its total size and
// package size (command 22), then filled with "PPLT" frames, each after the
// controller said it may take data (command 21, sent by the task steps).
#include "configuration/Config.h"
#include "device/Varnok120X.h"

#include <QDebug>
#include <QThread>
#include <cmath>

namespace {

// Nearest integer, halves away from zero, kept inside the int range.
int roundCoordinate(double v)
{
    if (!std::isfinite(v))
        return 0;
    return int(qBound(-2147483647.0, std::round(v), 2147483647.0));
}

// The bytes go as they are: the controller counts them against the
// announced size, so no text conversion may change their number.
QByteArray pltFrame(const QByteArray &data)
{
    return FrameCodec::frameRaw(QByteArrayLiteral("PPLT;") + data);
}

} // namespace

Varnok120X::PltTransfer Varnok120X::pltTransfer() const
{
    return m_state.plt.get();
}

bool Varnok120X::wPltSize(size_t totalSize)
{
    return wPltSize(totalSize, 0);
}

bool Varnok120X::wPltSize(size_t totalSize, size_t packageSize)
{
    if (packageSize == 0)
        packageSize = size_t(qMax(0, configInt(Config::CPT_Package_size)));
    if (packageSize == 0) {
        // No package could ever carry the data.
        m_config->setRunErrTip(tr("切割数据包大小错误"));
        qCritical().noquote() << "Varnok120X::wPltSize" << "totalSize:" << quint64(totalSize) << "packageSize"
                              << quint64(packageSize);
        return false;
    }
    if (totalSize == 0) {
        m_config->setRunErrTip(tr("文件长度错误"));
        qCritical().noquote() << "Varnok120X::wPltSize" << "totalSize:" << quint64(totalSize) << "packageSize"
                              << quint64(packageSize);
        return false;
    }
    if (!command(QStringLiteral("22,%1,%2;").arg(quint64(totalSize)).arg(quint64(packageSize))))
        return false;
    m_state.plt.set(PltTransfer{totalSize, 0, packageSize});
    return true;
}

bool Varnok120X::wPlt(QByteArray pltData)
{
    const quint64 n = quint64(pltData.size());
    const PltTransfer plt = pltTransfer();
    if (plt.total < plt.sent || plt.total - plt.sent < n) {
        qCritical().noquote() << "Varnok120X::wPlt" << "totalSize:" << plt.total << "sendPltLen:" << plt.sent
                              << "current send len" << n;
        return false;
    }
    if (plt.package < n) {
        qCritical().noquote() << "Varnok120X::wPlt" << "packageSize:" << plt.package << "current send len:" << n;
        return false;
    }
    if (n == 0) {
        qCritical().noquote() << "Varnok120X::wPlt" << "data is null" << pltData;
        return false;
    }
    if (!sendMsg(pltFrame(pltData)))
        return false;
    // The mark result of before does not belong to this cut: once per
    // transfer is enough, the application's film list is not cheap.
    if (plt.sent == 0)
        vision()->clearFilm(0);
    m_cutSent.store(true);
    m_state.plt.update([n](PltTransfer &t) {
        t.sent += n;
        return true;
    });
    return true;
}

bool Varnok120X::wDevicePoint(int knife, QPointF pos)
{
    // The job's own positioning runs within the job's hold on the transfer.
    if (QThread::currentThread() == &m_workThread)
        return devicePointJob(knife, pos);
    // A page's move is a transfer of its own: it holds the work slot for its
    // round trips, so that no job announces and sends its data in between
    // (nor it into a running job's data).
    if (!reserveWork()) {
        qWarning().noquote() << "Varnok120X::wDevicePoint" << "请检查设备状态， 正在执行任务或者未连接";
        setErrorMessage(tr("请检查设备状态"));
        return false;
    }
    const bool ok = devicePointJob(knife, pos);
    releaseWork();
    return ok;
}

bool Varnok120X::devicePointJob(int knife, QPointF pos)
{
    if (m_config->knifeNum() > 1 && !setKnife(knife))
        return false;
    if (!rPrePltSend())
        return false;
    vision()->clearFilm(0);
    // A transfer of its own, announced here and not counted in the job's
    // transfer counters.
    const QByteArray job = QStringLiteral("IN;PA;SP2;PU%1,%2;PG;PG;")
                               .arg(roundCoordinate(pos.x()))
                               .arg(roundCoordinate(pos.y()))
                               .toLatin1();
    if (!command(QStringLiteral("22,%1,%1;").arg(job.size())))
        return false;
    return sendCMD(pltFrame(job), false);
}
