#pragma once

#include "configuration/Guarded.h"
#include "app/printing/PrintJob.h"

#include <QImage>
#include <QObject>
#include <QSizeF>
#include <QString>
#include <atomic>
#include <memory>

class CutScene;
class GScene;
class ImageProvider;
class ProductionRecords;
class Varnok120X;

// The files of a print job as the pages choose them: the print file with its
// preview and page size, the cut file that belongs to it (the print cut
// scene: the code marker's place, the page of each data record), the data
// source and its current record, and the cut file and the export of the cut
// scene. Files are opened, and questions asked, on the GUI thread; the
// values may be read from any thread.
class PrintFiles : public QObject
{
    Q_OBJECT

public:
    PrintFiles(CutScene &cut, ProductionRecords &records, QObject *parent = nullptr);
    ~PrintFiles() override;

    // Where the preview goes; may be null.
    void setImageProvider(ImageProvider *provider) { m_provider = provider; }
    // The driver that shows a failed export; may be null.
    void setDriver(Varnok120X *driver) { m_driver.store(driver); }

    QString printFile() const { return m_printFile.get(); }
    void setPrintFile(const QString &file);
    // The cut file the pages chose: a scene file opens as cut scene (and as
    // print file when none is set), any other is opened by the cut scene.
    void setCutFile(const QString &file);
    QString printCutFile() const { return m_printCutFile.get(); }
    void setPrintCutFile(const QString &file);
    QString saveFile() const { return m_saveFile.get(); }
    void setSaveFile(const QString &file);
    QString dataSource() const { return m_dataSource.get(); }
    void setDataSource(const QString &file);
    bool enabledDataSource() const { return m_enabledDataSource.get(); }
    void setEnabledDataSource(bool on);
    int dataIndex() const { return m_dataIndex.get(); }
    // Makes record index the print file; false (with a message, nothing
    // changed) without that record or when its page cannot be written.
    bool setDataIndex(int index);
    // The current record is printed and no next one could be made: it is
    // not printed again until another record or data source is chosen.
    bool recordUsedUp() const { return m_recordUsedUp.get(); }
    void setRecordUsedUp() { m_recordUsedUp.set(true); }
    QString printTip() const { return m_printTip.get(); }
    void setPrintTip(const QString &tip);
    QString printImgPath() const { return m_printImgPath.get(); }
    void setPrintImgPath(const QString &path);

    void openCutFile(const QString &file);
    void selectDataSourceFile(const QString &file);
    // Takes file as the print file and shows its first page.
    void openPrintPdf(const QString &file);

    // The preview, turned as the pages show it; null when no print file is open.
    QImage printImage() const { return m_printImage.get(); }
    // The print file's page in mm; invalid when none could be read.
    QSizeF printPageSize() const { return m_printPageSize.get(); }
    PrintJob::MarkPlace markPlace() const { return m_markPlace.get(); }
    bool printCutSceneEmpty() const { return m_printCutEmpty.get(); }
    GScene *printCutScene() const { return m_printCutScene.get(); }

    // The record page of index: "<index>pdf.pdf" in the program's folder.
    static QString recordFileName(int index);

signals:
    void printFileChanged();
    void printCutFileChanged();
    void saveFileChanged();
    void dataSourceChanged();
    void enabledDataSourceChanged();
    void dataIndexChanged();
    void printTipChanged();
    void printImgPathChanged();

private:
    // Notes what printing reads of the print cut scene.
    void takePrintCutScene();
    // Removes the record pages written before but keep (only ours: digits then "pdf.pdf").
    static void removeRecordFiles(const QString &folder, const QString &keep);

    CutScene &m_cut;
    ProductionRecords &m_records;
    ImageProvider *m_provider = nullptr;
    std::atomic<Varnok120X *> m_driver{nullptr};
    std::unique_ptr<GScene> m_printCutScene; // GUI thread
    Guarded<QString> m_printFile, m_printCutFile, m_saveFile, m_dataSource, m_printTip, m_printImgPath;
    Guarded<bool> m_enabledDataSource{false}, m_printCutEmpty{true}, m_recordUsedUp{false};
    Guarded<int> m_dataIndex{1};
    Guarded<QImage> m_printImage;
    Guarded<QSizeF> m_printPageSize;
    Guarded<PrintJob::MarkPlace> m_markPlace;
};
