// The pages' own properties: each setter stores through its guarded store
// and signals a real change. The file-name setters get their loading work
// with the print and cut files.
#include "DravolinteApp.h"

#include "GScene.h"
#include "MarkImages.h"

#include <QDebug>

DRAVO_GUARDED_PROPERTY(DravolinteApp, QString, const QString &, version, setVersion, m_version)
DRAVO_GUARDED_PROPERTY(DravolinteApp, QString, const QString &, saveFile, setSaveFile, m_saveFile)
DRAVO_GUARDED_PROPERTY(DravolinteApp, QString, const QString &, printFile, setPrintFile, m_printFile)
DRAVO_GUARDED_PROPERTY(DravolinteApp, QString, const QString &, printCutFile, setPrintCutFile, m_printCutFile)
DRAVO_GUARDED_PROPERTY(DravolinteApp, QString, const QString &, printTip, setPrintTip, m_printTip)
DRAVO_GUARDED_PROPERTY(DravolinteApp, QString, const QString &, printImgPath, setPrintImgPath, m_printImgPath)
DRAVO_GUARDED_PROPERTY(DravolinteApp, int, int, imageWidth, setImageWidth, m_imageWidth)
DRAVO_GUARDED_PROPERTY(DravolinteApp, int, int, imageHeight, setImageHeight, m_imageHeight)
DRAVO_GUARDED_PROPERTY(DravolinteApp, bool, bool, enabledDataSource, setEnabledDataSource, m_enabledDataSource)
DRAVO_GUARDED_PROPERTY(DravolinteApp, int, int, dataIndex, setDataIndex, m_dataIndex)

QString DravolinteApp::dataSource() const
{
    return m_dataSource.get();
}

void DravolinteApp::setDataSource(const QString &v)
{
    m_records.setDataSourceFile(v);
    setEnabledDataSource(!v.isEmpty());
    if (!v.isEmpty())
        m_printCutScene->setVariableFile(v);
    if (m_dataSource.set(v))
        emit dataSourceChanged();
}

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

int DravolinteApp::updatePrintRecord(int printed)
{
    return m_records.updatePrintRecord(printed, taskStatus() != 2, enabledDataSource() ? dataIndex() : -1);
}

void DravolinteApp::markedImage(QImage &img, int x, int y, int l, double scale)
{
    MarkImages::markedImage(img, x, y, l, scale);
}

QString DravolinteApp::currentDateTimeString() const
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HH-mm-ss"));
}
