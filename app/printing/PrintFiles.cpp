#include "app/printing/PrintFiles.h"

#include "configuration/Config.h"
#include "app/task/CutScene.h"
#include "configuration/FilePaths.h"
#include "configuration/LocalFile.h"
#include "platform/graphics/GMarkItem.h"
#include "platform/graphics/GPage.h"
#include "platform/graphics/GScene.h"
#include "app/vision/ImageProvider.h"
#include "configuration/Notifier.h"
#include "app/printing/PrintPage.h"
#include "app/task/ProductionRecords.h"
#include "device/Varnok120X.h"
#include "platform/graphics/variabledata/XlsxReader.h"

#include <QDebug>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTransform>
#include <atomic>

namespace {

bool isSceneFile(const QString &file)
{
    return file.right(3).toLower() == QLatin1String("tqc");
}

// Each preview gets a URL of its own, so that the pages load it again.
QString nextPreviewUrl()
{
    static std::atomic<qint64> last{0};
    qint64 now = QDeadlineTimer::current().deadline();
    qint64 seen = last.load();
    while (!last.compare_exchange_weak(seen, qMax(now, seen + 1))) {
    }
    return QStringLiteral("image://myImage/printImg") + QString::number(qMax(now, seen + 1));
}

} // namespace

PrintFiles::PrintFiles(CutScene &cut, ProductionRecords &records, QObject *parent)
    : QObject(parent), m_cut(cut), m_records(records), m_printCutScene(std::make_unique<GScene>())
{
}

PrintFiles::~PrintFiles() = default;

QString PrintFiles::recordFileName(int index)
{
    return QStringLiteral("%1pdf.pdf").arg(index);
}

void PrintFiles::setPrintFile(const QString &name)
{
    const QString file = LocalFile::pathFromVariant(name);
    if (isSceneFile(file)) {
        selectDataSourceFile(file);
        if (m_cut.cutFile().isEmpty())
            openCutFile(file);
        return;
    }
    setEnabledDataSource(false);
    openPrintPdf(file);
    m_records.setPrintFile(file);
    const Config *cfg = Config::instance();
    if (cfg && cfg->getProperty(Config::CPT_Enable_Print_Marker_Type).toInt() != 0) {
        setPrintCutFile(Notifier::chooseFile(tr("选择打印文件对应的切割文件"), QFileInfo(file).absolutePath(),
                                             tr("切割文件 (*.plt)")));
    }
}

void PrintFiles::setCutFile(const QString &name)
{
    const QString file = LocalFile::pathFromVariant(name);
    if (isSceneFile(file)) {
        openCutFile(file);
        if (printFile().isEmpty())
            setPrintFile(file);
        return;
    }
    m_cut.setCutFile(file);
    if (!file.isEmpty())
        m_cut.requestOpen(file);
}

void PrintFiles::openCutFile(const QString &file)
{
    if (!QFileInfo::exists(file))
        return;
    m_cut.requestOpen(file);
    m_saveFile.set(programFilesFolder() + QStringLiteral("/tmp.plt"));
    m_cut.setCutFile(m_cut.cutShowFile());
}

void PrintFiles::setPrintCutFile(const QString &name)
{
    const QString file = LocalFile::pathFromVariant(name);
    if (!m_printCutFile.set(file))
        return;
    if (file.isEmpty())
        m_printCutScene->gClear();
    else if (!m_printCutScene->openFile(file, false))
        qCritical().noquote() << "DravolinteApp::setPrintCutFile" << "cannot open" << file;
    m_records.setPrintCutFile(file);
    takePrintCutScene();
    emit printCutFileChanged();
}

void PrintFiles::takePrintCutScene()
{
    const GPage *page = m_printCutScene->page();
    const GMarkItem *mark = page ? page->markItem() : nullptr;
    PrintJob::MarkPlace place;
    if (mark) {
        place.valid = true;
        place.margins = mark->margins();
        place.markSize = mark->markSize();
    }
    m_markPlace.set(place);
    m_printCutEmpty.set(m_printCutScene->gItemAll().isEmpty());
}

void PrintFiles::setSaveFile(const QString &name)
{
    const QString file = LocalFile::pathFromVariant(name);
    if (m_saveFile.set(file))
        emit saveFileChanged();
    GScene *scene = m_cut.scene();
    if (file.isEmpty() || !scene)
        return;
    if (!scene->exportFile(file, scene->gSelectedItems())) {
        qCritical().noquote() << "DravolinteApp::setSaveFile" << "export failed" << file;
        if (Varnok120X *device = m_driver.load())
            device->setErrorMessage(tr("切割文件导出失败"));
    }
}

void PrintFiles::setDataSource(const QString &name)
{
    const QString file = LocalFile::pathFromVariant(name);
    if (file == dataSource())
        return;
    if (!file.isEmpty()) {
        // A workbook that cannot be read, or holds no record, is no data source.
        XlsxReader probe;
        if (!probe.load(file) || probe.recordCount() < 1) {
            qCritical().noquote() << "DravolinteApp::setDataSource" << "no records in" << file;
            Notifier::information(tr("数据源无法读取"));
            return;
        }
    }
    m_dataSource.set(file);
    m_records.setDataSourceFile(file);
    setEnabledDataSource(!file.isEmpty());
    m_printCutScene->setVariableFile(file);
    setDataIndex(dataIndex());
    emit dataSourceChanged();
}

void PrintFiles::setEnabledDataSource(bool on)
{
    m_enabledDataSource.set(on);
    emit enabledDataSourceChanged();
}

bool PrintFiles::setDataIndex(int index)
{
    if (!enabledDataSource())
        return false;
    if (!m_printCutScene->setCodeIndex(index)) {
        m_printCutScene->setCodeIndex(dataIndex());
        qWarning().noquote() << "DravolinteApp::setDataIndex" << "no record" << index << "in" << dataSource();
        Notifier::information(tr("数据源没有更多记录"));
        return false;
    }
    const QString folder = programFilesFolder();
    const QString path = folder + QLatin1Char('/') + recordFileName(index);
    if (!m_printCutScene->savePrintFile(path)) {
        m_printCutScene->setCodeIndex(dataIndex());
        qCritical().noquote() << "DravolinteApp::setDataIndex" << "cannot write" << path;
        Notifier::information(tr("数据记录的打印文件无法生成"));
        return false;
    }
    removeRecordFiles(folder, QFileInfo(path).fileName());
    m_recordUsedUp.set(false);
    m_dataIndex.set(index);
    openPrintPdf(path);
    emit dataIndexChanged();
    return true;
}

void PrintFiles::removeRecordFiles(const QString &folder, const QString &keep)
{
    static const QRegularExpression ours(QStringLiteral("^\\d+pdf\\.pdf$"));
    QDir dir(folder);
    const QStringList files = dir.entryList({QStringLiteral("*pdf.pdf")}, QDir::Files | QDir::Hidden);
    for (const QString &name : files) {
        if (name != keep && ours.match(name).hasMatch() && !dir.remove(name))
            qWarning().noquote() << "DravolinteApp::setDataIndex" << "cannot remove" << dir.filePath(name);
    }
}

void PrintFiles::selectDataSourceFile(const QString &name)
{
    const QString file = LocalFile::pathFromVariant(name);
    if (!QFileInfo::exists(file))
        return;
    setPrintCutFile(file);
    m_records.setPrintFile(file);
    if (dataSource().isEmpty()) {
        const QString answer =
            Notifier::chooseFile(tr("选择数据源"), QFileInfo(file).absolutePath(), tr("Excel文件 (*.xlsx)"));
        if (!answer.isEmpty() && answer != dataSource())
            setDataSource(answer);
    }
    setEnabledDataSource(!dataSource().isEmpty());
    if (!dataSource().isEmpty())
        setDataIndex(dataIndex());
}

void PrintFiles::openPrintPdf(const QString &file)
{
    m_printFile.set(file);
    const Config *cfg = Config::instance();
    const bool tifAllowed = cfg && cfg->getProperty(Config::CPT_Version).toInt() == Config::VT_7x4;
    if (PrintPage::isPdf(file) || (PrintPage::isTif(file) && tifAllowed)) {
        const PrintPage::Page page = PrintPage::preview(file);
        if (page.image.isNull()) {
            qCritical().noquote() << "DravolinteApp::openPrintPdf" << file << page.error;
            Notifier::information(tr("打印文件无法打开") + QLatin1Char('\n') + QFileInfo(file).fileName());
        } else if (PrintPage::isTif(file)) {
            qInfo().noquote() << "DravolinteApp::openPrintPdf" << true << page.image.size();
        }
        // A file that cannot be shown leaves no page behind: nothing to print.
        const QImage preview = page.image.isNull() ? QImage() : page.image.transformed(QTransform().rotate(-90));
        m_printImage.exchange(preview);
        m_printPageSize.set(page.sizeMm);
        if (m_provider)
            m_provider->setPrintImage(preview);
    }
    const QSizeF size = printPageSize();
    setPrintTip(tr("文件尺寸") + QStringLiteral("  %1 x %2  mm²")
                                     .arg(qMax(0.0, size.width()), 0, 'f', 2)
                                     .arg(qMax(0.0, size.height()), 0, 'f', 2));
    // No preview, no address: the pages would ask the provider for a picture it has not.
    setPrintImgPath(printImage().isNull() ? QString() : nextPreviewUrl());
    emit printFileChanged();
}

void PrintFiles::setPrintTip(const QString &tip)
{
    m_printTip.set(tip);
    emit printTipChanged();
}

void PrintFiles::setPrintImgPath(const QString &path)
{
    m_printImgPath.set(path);
    emit printImgPathChanged();
}
