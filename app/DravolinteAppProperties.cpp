// The pages' own properties: each setter stores through its guarded store
// and signals a real change. The print and cut files are PrintFiles'.
#include "app/DravolinteApp.h"

#include "MarkImages.h"

#include <QDebug>

DRAVO_GUARDED_PROPERTY(DravolinteApp, QString, const QString &, version, setVersion, m_version)
DRAVO_GUARDED_PROPERTY(DravolinteApp, int, int, imageWidth, setImageWidth, m_imageWidth)
DRAVO_GUARDED_PROPERTY(DravolinteApp, int, int, imageHeight, setImageHeight, m_imageHeight)

bool DravolinteApp::enabledTest() const
{
    return m_enabledTest.get();
}

void DravolinteApp::setEnabledTest(bool v)
{
    if (!m_enabledTest.set(v))
        return;
    qInfo().noquote() << "DravolinteApp::setEnabledTest" << v;
    m_cut.setWriteTestFile(v);
    emit enabledTestChanged();
}

void DravolinteApp::markedImage(QImage &img, int x, int y, int l, double scale)
{
    MarkImages::markedImage(img, x, y, l, scale);
}

QString DravolinteApp::currentDateTimeString() const
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HH-mm-ss"));
}
