#pragma once

#include "platform/graphics/scenefiles/SceneData.h"
#include "platform/graphics/variabledata/XlsxReader.h"

#include <QGraphicsScene>
#include <QImage>
#include <QList>
#include <map>
#include <memory>

class GItem;
class GMarkItem;
class GPage;
class GPathItem;
class GSp;

// A cut scene: one page with its layout and registration marks, the cut
// paths, the tool table, the cutting order settings, the label bands, the
// background image and the variable data of a data source.
//
// Scene coordinates are points with x along the web (the page's length) and y
// across it; see SceneData.h. Items lie in file order. An empty scene (new or
// cleared) has no page, no mark item and no items.
//
// The GUI thread opens and changes the scene. While nobody changes it, other
// threads may read it: page(), the mark item's values, gItemAll(),
// exportCutItems(), sortCutItems(), cutPath() of the items and the tools.
class GScene : public QGraphicsScene
{
    Q_OBJECT
public:
    using segment = SceneSegment;

    // Scene flags (setGSceneFlag).
    enum GSceneFlag {
        GSF_Locked = 1,     // the items cannot be selected
        GSF_ShowMargin = 2, // views draw the page's margins
        GSF_ShowMarks = 4,  // the mark item is shown
    };

    explicit GScene(QObject *parent = nullptr);
    ~GScene() override;

    // Opens a plotter file or a .tqc scene file (told apart by content) in
    // place of what the scene held; a damaged file gives an empty or partial
    // scene with log lines. The tool table stays unless the file brings one.
    // `selectAll` selects the new items (when the scene is not locked).
    // False when the file cannot be read or holds nothing usable (no page).
    bool openFile(const QString &file, bool selectAll = false);
    void gClear();
    QString fileName() const { return m_fileName; }

    // Writes the items as a plotter file, or as a .tqc scene file when the name
    // ends in ".tqc", with the page header. No items: every cut item, in cutting order.
    bool exportFile(const QString &file, const QList<GItem *> &items) const;
    // The whole scene as a .tqc file, paths in cutting order (which the file keeps).
    bool saveSceneFile(const QString &file) const;
    // Everything the scene holds as plain data (paths in cutting order).
    SceneData sceneData() const;

    // Variable data: the data source (.xlsx) and its current record.
    bool setVariableFile(const QString &file);
    bool setCodeIndex(int index);
    int codeIndex() const { return m_codeIndex; }
    const XlsxReader &variableData() const { return m_source; }
    QList<VariableField> variableFields() const { return m_fields; }
    void setVariableFields(const QList<VariableField> &fields) { m_fields = fields; }
    // The current record's page as a one-page PDF. False without a page, or
    // when fields need a record and there is none.
    bool savePrintFile(const QString &file) const;

    GPage *page() const { return m_page.get(); }
    QList<GItem *> gItemAll() const { return m_items; }
    QList<GItem *> gSelectedItems() const;
    // The cut items (path items) in file order; only the selected ones, only
    // the visible ones, and in cutting order when the flags say so.
    void exportCutItems(QList<GItem *> &items, bool selectedOnly = false, bool visibleOnly = false,
                        bool sorted = false) const;
    // The path items among `items`, each once, in cutting order: the file's
    // own order when it brings one (containSX), else sorted when sorting is on,
    // else as given.
    QList<GPathItem *> sortCutItems(const QList<GItem *> &items) const;

    bool containSX() const { return m_explicitOrder; }
    bool isSort() const { return m_sort; }
    void enableSort(bool on) { m_sort = on; }
    bool sortSP() const { return m_sortSP; }
    void setSortSP(bool on) { m_sortSP = on; }
    bool sortInside() const { return m_sortInside; }
    void setSortInside(bool on) { m_sortInside = on; }

    // The tool of that index (pen number); null when the table has none. Tool 1 always exists.
    GSp *sp(int index) const;
    QList<GSp *> tools() const;

    void setGSceneFlag(int flag, bool on);
    bool testGSceneFlag(int flag) const { return (m_flags & flag) != 0; }
    bool showMargin() const { return testGSceneFlag(GSF_ShowMargin); }

    // The printed page as the check camera sees it (24 bits per pixel); null when none.
    QImage bkImage() const { return m_background; }
    void setBkImage(const QImage &image);
    // Label bands along the web (rows) and across it (columns), mm of the page.
    QList<segment> rowSegments() const { return m_rows; }
    QList<segment> colSegments() const { return m_cols; }

    // Adds a path item (scene coordinates) with a tool; the scene owns it.
    GPathItem *addPathItem(const QPainterPath &path, int tool = 1);

private:
    void apply(const SceneData &data);
    void applyTools(const SceneData &data);
    void applyFlags();
    void polish();

    QGraphicsItem *m_root = nullptr;
    std::unique_ptr<GPage> m_page;
    GMarkItem *m_mark = nullptr;
    QList<GItem *> m_items;
    std::map<int, std::unique_ptr<GSp>> m_tools;
    QString m_fileName;
    bool m_explicitOrder = false;
    bool m_sort = false;
    bool m_sortSP = false;
    bool m_sortInside = false;
    int m_flags = 0;
    QImage m_background;
    QList<segment> m_rows;
    QList<segment> m_cols;
    QList<VariableField> m_fields;
    XlsxReader m_source;
    int m_codeIndex = 0;
};
