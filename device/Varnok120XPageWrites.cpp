// The writes of the machine pages: each value checked before anything goes
// out, a write the controller does not accept reported to the operator, the
// factory commands held back while a task exists, and the web-guide reset,
// whose reply may take seconds, run off the caller's thread.
#include "configuration/Config.h"
#include "device/Varnok120X.h"

#include <QDebug>

bool Varnok120X::pageWriteRefused(int write, double a, double b)
{
    const auto w = PageWrites::Write(write);
    if (PageWrites::acceptable(w, a, b))
        return false;
    qCritical().noquote() << "Varnok120X::" + QLatin1String(PageWrites::logName(w)) << "refused, not sent:" << a << b;
    return true;
}

bool Varnok120X::pageWriteEnded(int write, bool accepted)
{
    if (!accepted) {
        const auto w = PageWrites::Write(write);
        qWarning().noquote() << "Varnok120X::" + QLatin1String(PageWrites::logName(w)) << "not accepted";
        setErrorMessage(PageWrites::notAccepted(w));
    }
    return accepted;
}

bool Varnok120X::refusedMidTask(int write)
{
    if (host()->taskStatus() == 2)
        return false;
    qWarning().noquote() << "Varnok120X::" + QLatin1String(PageWrites::logName(PageWrites::Write(write)))
                         << "refused while a task exists";
    setErrorMessage(PageWrites::refusedMidTask());
    return true;
}

bool Varnok120X::wCutModel(int model)
{
    if (pageWriteRefused(PageWrites::CutModel, model))
        return false;
    return pageWriteEnded(PageWrites::CutModel, command(QStringLiteral("10,1,%1;").arg(model)));
}

bool Varnok120X::wCheckCameraCenterX(double val)
{
    if (pageWriteRefused(PageWrites::CutOffOffset, val))
        return false;
    const QString text = QStringLiteral("8,1,0,%1,0;").arg(QString::number(val, 'f', 2));
    return pageWriteEnded(PageWrites::CutOffOffset, command(text));
}

bool Varnok120X::wSpeed(double speed)
{
    if (pageWriteRefused(PageWrites::Speed, speed))
        return false;
    const QString text = QStringLiteral("6,1,0,%1;").arg(QString::number(speed, 'g', 6));
    return pageWriteEnded(PageWrites::Speed, command(text));
}

bool Varnok120X::wPressure(double pressure)
{
    if (pageWriteRefused(PageWrites::Pressure, pressure))
        return false;
    const int knife = m_config->knifeNo();
    if (qFuzzyCompare(double(m_state.pressure(knife)), pressure))
        return true;
    const QString text = QStringLiteral("7,1,%1,%2;").arg(knife).arg(QString::number(pressure, 'g', 6));
    return pageWriteEnded(PageWrites::Pressure, command(text));
}

bool Varnok120X::wMarkCameraOffset(double x, double y)
{
    return sendMarkCameraOffset(m_config->knifeNo(), x, y);
}

bool Varnok120X::sendMarkCameraOffset(int knife, double x, double y)
{
    if (pageWriteRefused(PageWrites::CameraOffset, x, y))
        return false;
    const QString text = QStringLiteral("8,1,%1,%2,%3;")
                             .arg(knife + 1)
                             .arg(QString::number(x, 'f', 2), QString::number(y, 'f', 2));
    return pageWriteEnded(PageWrites::CameraOffset, command(text));
}

bool Varnok120X::setMarkCameraOffset(double x, double y)
{
    // Kept for the knife they went out for, whatever is chosen meanwhile.
    const int knife = m_config->knifeNo();
    if (!sendMarkCameraOffset(knife, x, y))
        return false;
    m_config->setMarkCameraOffsetX(knife, x);
    m_config->setMarkCameraOffsetY(knife, y);
    return true;
}

bool Varnok120X::wFactoryReset()
{
    // A running job would lose the controller's settings under it.
    if (refusedMidTask(PageWrites::FactoryReset))
        return false;
    return pageWriteEnded(PageWrites::FactoryReset, command(QStringLiteral("16,1;")));
}

bool Varnok120X::wSaveToFactorySet()
{
    if (refusedMidTask(PageWrites::SaveFactorySettings))
        return false;
    return pageWriteEnded(PageWrites::SaveFactorySettings, command(QStringLiteral("16,0;")));
}

bool Varnok120X::wRectifyMotorReset()
{
    const QString text = featureFlag(FF_PerModule) == 1 ? QStringLiteral("2,1,0,4;") : QStringLiteral("2,0,4;");
    const bool ok = command(text, true, 10001);
    if (ok)
        vision()->resetPaperCenter();
    return pageWriteEnded(PageWrites::RectifyReset, ok);
}

bool Varnok120X::wTrimMotorYReset()
{
    const QString text = featureFlag(FF_PerModule) == 1 ? QStringLiteral("2,1,3,1;") : QStringLiteral("2,3,1;");
    return pageWriteEnded(PageWrites::TrimReset, command(text, false));
}

bool Varnok120X::rectifyResetBusy() const
{
    return m_pageWrites.rectifyResetBusy();
}

bool Varnok120X::startRectifyMotorReset()
{
    if (refusedMidTask(PageWrites::RectifyReset))
        return false;
    if (!m_pageWrites.beginRectifyReset())
        return false; // the one under way answers for this press too
    emit rectifyResetBusyChanged();
    const bool started = m_threads.start(QStringLiteral("rectifyReset"), [this] {
        wRectifyMotorReset();
        m_pageWrites.endRectifyReset();
        emit rectifyResetBusyChanged();
    });
    if (!started) {
        m_pageWrites.endRectifyReset();
        emit rectifyResetBusyChanged();
    }
    return started;
}
