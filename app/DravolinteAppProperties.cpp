// The properties the pages bind to: each setter stores and signals a change.
// The file-name setters get their loading work with the print and cut files.
#include "DravolinteApp.h"

#include "GScene.h"

#include <QDebug>

template <typename T> bool DravolinteApp::storeString(QString &field, const T &value)
{
    QMutexLocker lock(&m_stateLock);
    if (field == value)
        return false;
    field = value;
    return true;
}

namespace {
bool storeInt(std::atomic<int> &field, int value)
{
    return field.exchange(value) != value;
}
bool storeBool(std::atomic<bool> &field, bool value)
{
    return field.exchange(value) != value;
}
} // namespace

#define DRAVO_STRING_PROPERTY(getter, setter, member, signal)                                                          \
    QString DravolinteApp::getter() const                                                                              \
    {                                                                                                                  \
        QMutexLocker lock(&m_stateLock);                                                                               \
        return member;                                                                                                 \
    }                                                                                                                  \
    void DravolinteApp::setter(const QString &v)                                                                       \
    {                                                                                                                  \
        if (storeString(member, v))                                                                                    \
            emit signal();                                                                                             \
    }

DRAVO_STRING_PROPERTY(version, setVersion, m_version, versionChanged)
DRAVO_STRING_PROPERTY(saveFile, setSaveFile, m_saveFile, saveFileChanged)
DRAVO_STRING_PROPERTY(printFile, setPrintFile, m_printFile, printFileChanged)
DRAVO_STRING_PROPERTY(cutShowFile, setCutShowFile, m_cutShowFile, cutShowFileChanged)
DRAVO_STRING_PROPERTY(printCutFile, setPrintCutFile, m_printCutFile, printCutFileChanged)
DRAVO_STRING_PROPERTY(cutFile, setCutFile, m_cutFile, cutFileChanged)
DRAVO_STRING_PROPERTY(printTip, setPrintTip, m_printTip, printTipChanged)
DRAVO_STRING_PROPERTY(printImgPath, setPrintImgPath, m_printImgPath, printImgPathChanged)
DRAVO_STRING_PROPERTY(framePath, setFramePath, m_framePath, framePathChanged)

#undef DRAVO_STRING_PROPERTY

int DravolinteApp::cutTaskCopies() const
{
    return m_cutTaskCopies.load();
}

void DravolinteApp::setCutTaskCopies(int v)
{
    if (storeInt(m_cutTaskCopies, v))
        emit cutTaskCopiesChanged();
}

void DravolinteApp::setCutCopies(int v)
{
    if (storeInt(m_cutCopies, v))
        emit cutCopiesChanged();
}

void DravolinteApp::setPrintTaskCopies(int v)
{
    if (storeInt(m_printTaskCopies, v))
        emit printTaskCopiesChanged();
}

void DravolinteApp::setPrintCopies(int v)
{
    if (storeInt(m_printCopies, v))
        emit printCopiesChanged();
}

void DravolinteApp::setImageWidth(int v)
{
    if (storeInt(m_imageWidth, v))
        emit imageWidthChanged();
}

void DravolinteApp::setImageHeight(int v)
{
    if (storeInt(m_imageHeight, v))
        emit imageHeightChanged();
}

void DravolinteApp::setEnabledDataSource(bool v)
{
    if (storeBool(m_enabledDataSource, v))
        emit enabledDataSourceChanged();
}

QString DravolinteApp::dataSource() const
{
    QMutexLocker lock(&m_stateLock);
    return m_dataSource;
}

void DravolinteApp::setDataSource(const QString &v)
{
    {
        QMutexLocker lock(&m_stateLock);
        m_workRecord.dataSourceFile = v;
    }
    setEnabledDataSource(!v.isEmpty());
    if (m_printCutScene && !v.isEmpty())
        m_printCutScene->setVariableFile(v);
    if (storeString(m_dataSource, v))
        emit dataSourceChanged();
}

void DravolinteApp::setDataIndex(int v)
{
    if (storeInt(m_dataIndex, v))
        emit dataIndexChanged();
}

void DravolinteApp::setFps(int v)
{
    if (storeInt(m_fps, v))
        emit fpsChanged();
}

void DravolinteApp::setEnabledTest(bool v)
{
    if (!storeBool(m_enabledTest, v))
        return;
    qInfo().noquote() << "DravolinteApp::setEnabledTest" << v;
    emit enabledTestChanged();
}

void DravolinteApp::setShowLostLabelView(bool v)
{
    if (storeBool(m_showLostLabelView, v))
        emit showLostLabelViewChanged();
}

QImage DravolinteApp::printImage() const
{
    QMutexLocker lock(&m_stateLock);
    return m_printImage;
}

QPointF DravolinteApp::scanMarkPoint() const
{
    QMutexLocker lock(&m_stateLock);
    return m_scanMarkPoint;
}

float DravolinteApp::scanMarkSize() const
{
    QMutexLocker lock(&m_stateLock);
    return m_scanMarkSize;
}

void DravolinteApp::resetScanMark()
{
    QMutexLocker lock(&m_stateLock);
    m_scanMarkPoint = QPointF(0, 0);
    m_scanMarkSize = 0.0f;
}

double DravolinteApp::searchedLength() const
{
    QMutexLocker lock(&m_stateLock);
    return m_searchedLength;
}

void DravolinteApp::setSearchedLength(double mm)
{
    QMutexLocker lock(&m_stateLock);
    m_searchedLength = mm;
}

double DravolinteApp::paperOffset() const
{
    QMutexLocker lock(&m_stateLock);
    return m_paperOffset;
}

QSizeF DravolinteApp::pageSize() const
{
    QMutexLocker lock(&m_stateLock);
    return m_pageSize;
}

QSizeF DravolinteApp::pageDefSize() const
{
    QMutexLocker lock(&m_stateLock);
    return m_pageDefSize;
}

void DravolinteApp::setPageSizes(const QSizeF &page, const QSizeF &definition)
{
    QMutexLocker lock(&m_stateLock);
    m_pageSize = page;
    m_pageDefSize = definition;
}

DravolinteApp::CheckParams DravolinteApp::checkParams() const
{
    QMutexLocker lock(&m_stateLock);
    return m_check;
}

QList<FilmRecord> DravolinteApp::filmRecords() const
{
    return m_films.records();
}

WorkRecord DravolinteApp::currentWorkRecord() const
{
    QMutexLocker lock(&m_stateLock);
    return m_workRecord;
}

WorkRecord DravolinteApp::cutWorkRecord() const
{
    QMutexLocker lock(&m_stateLock);
    return m_cutWorkRecord;
}

TaskRecord DravolinteApp::currentTaskRecord() const
{
    QMutexLocker lock(&m_stateLock);
    return m_taskRecord;
}

void DravolinteApp::setCurrentTaskRecord(const TaskRecord &record)
{
    QMutexLocker lock(&m_stateLock);
    m_taskRecord = record;
}

bool DravolinteApp::hasTaskCode() const
{
    QMutexLocker lock(&m_stateLock);
    return m_taskRecord.code > 0;
}

void DravolinteApp::setMarkIndex(int index)
{
    m_markIndex.store(index);
}

QString DravolinteApp::messageText() const
{
    QMutexLocker lock(&m_stateLock);
    return m_messageText;
}

QString DravolinteApp::currentDateTimeString() const
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HH-mm-ss"));
}
