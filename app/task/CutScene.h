#pragma once

#include "device/DriverHost.h"
#include "configuration/Guarded.h"

#include <QImage>
#include <QMarginsF>
#include <QMutex>
#include <QObject>
#include <QReadWriteLock>
#include <QWaitCondition>
#include <atomic>
#include <functional>
#include <memory>

struct SceneSegment;

class GPathItem;
class GScene;
class ProductionRecords;
class Varnok120X;

// The cut scene and what is made of it: the cut file opened into the scene
// (main thread), the switch to the cut file of a task code read at the marks
// (work thread, waiting bounded for the main thread's open), and the
// conversion of the page to the machine's cut data, marks and knife lanes.
// The driver's cut source. The work thread reads the scene under the scene
// lock, which an open takes for writing.
class CutScene : public QObject, public CutSource
{
    Q_OBJECT

public:
    // records holds the task code a switch follows; task's status ends a
    // switch's wait. Both must outlive the scene (they are only used later).
    CutScene(ProductionRecords &records, const TaskHost &task, QObject *parent = nullptr);
    ~CutScene() override;

    GScene *scene() const { return m_scene.get(); }
    // The driver that hears of an unsupported mark type; may be null.
    void setDriver(Varnok120X *driver) { m_driver.store(driver); }
    // Test mode: each page's cut data is also written to "tmp.plt".
    void setWriteTestFile(bool on) { m_writeTestFile.store(on); }
    // The program closes: a switch waiting for an open gives up.
    void close();

    // The working cut file, chosen by the pages.
    QString cutFile() const override;
    void setCutFile(const QString &v);
    // The preview's copy of the opened file.
    QString cutShowFile() const;
    void setCutShowFile(const QString &v);
    // The file that the scene holds.
    QString sceneFile() const;
    bool switchingCutFile() const { return m_switching.load(); }
    QSizeF pageSize() const override;
    QSizeF pageDefSize() const;
    void setPageSizes(const QSizeF &page, const QSizeF &definition);

    // Opens file into the scene (main thread): a turned page when cutting
    // in reverse, the preview copy "showplt.plt", the label template.
    void open(const QString &file);
    // Hands the opened page to the label check, which loader stands for
    // (set once by the owner); false when no template came of it.
    bool loadTemplate();
    void setTemplateLoader(std::function<bool()> loader) { m_templateLoader = std::move(loader); }
    // The page's background (the printed page as the check camera sees it,
    // null when none) and its label bands (mm of the page).
    QImage background(QList<SceneSegment> *rows = nullptr, QList<SceneSegment> *cols = nullptr) const;
    // Asks for an open through openScene (run at once on the main thread).
    void requestOpen(const QString &file) { emit openScene(file); }

    // 4 with nothing open, -1 for a page without a mark item.
    int pageMarkType() const;
    // The mark type the mark scan works with: 0 without page or marks.
    int scanMarkType() const;
    bool hasCutItems() const override;
    bool isSupport() override;
    QByteArray createPageCutFile(const QTransform &transform) override;
    // One cut item's HPGL; margins take no part (kept for the callers).
    QString cutPathToHpgl(const GScene *scene, const GPathItem *item, const QTransform &transform,
                          const QMarginsF &margins, const QPointF &offset) const;
    QPolygonF currentPageMarkPoint(bool scan = true) const override;
    QList<int> currentKnifeIntInterval() const override;
    // true: forget the task code before a scan; false: open the cut file of
    // the task code read meanwhile (or the working one) and wait, bounded,
    // until the scene holds it. True when the scene holds the file wanted.
    bool setSwitchCutFile(bool b) override;
    // How long a switch waits for the main thread to open the file.
    static constexpr int kSceneOpenWaitMs = 30000;

signals:
    void cutFileChanged();
    void cutShowFileChanged();
    void refreshView();
    // A label template was taken from the opened scene's background.
    void templateLoaded();
    // A switch asks the main thread to open file; the owner wires it to open().
    void openScene(const QString &file);

private:
    int pageMarkTypeLocked() const;
    // With the label check on, the driver's error message says that the
    // opened file gives it nothing to check against.
    void tellNoTemplate();

    ProductionRecords &m_records;
    const TaskHost &m_task;
    std::atomic<Varnok120X *> m_driver{nullptr};
    std::atomic<bool> m_writeTestFile{false};
    std::atomic<bool> m_switching{false};
    std::atomic<bool> m_closing{false};
    Guarded<QString> m_cutFile, m_cutShowFile, m_sceneFile;
    Guarded<QSizeF> m_pageSize, m_pageDefSize;

    std::unique_ptr<GScene> m_scene;
    mutable QReadWriteLock m_sceneLock;
    QMutex m_openLock;
    QWaitCondition m_opened;
    QString m_openedFile; // under m_openLock: the last open that has finished
    std::function<bool()> m_templateLoader;
};
