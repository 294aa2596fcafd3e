#include "platform/graphics/GScene.h"

#include "platform/graphics/GMarkItem.h"
#include "platform/graphics/GPage.h"
#include "platform/graphics/GPathItem.h"
#include "platform/graphics/GSp.h"

#include <QCoreApplication>
#include <QDebug>
#include <QThread>

namespace {

// Holds every item of a page, so that a page with a great many items is
// dropped in one go instead of item by item out of the scene's lists.
class RootItem : public QGraphicsItem
{
public:
    RootItem() { setFlag(ItemHasNoContents); }
    QRectF boundingRect() const override { return QRectF(); }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override {}
};

} // namespace

GScene::GScene(QObject *parent) : QGraphicsScene(parent)
{
    // A cut page is shown whole far more often than searched: no index to keep up.
    setItemIndexMethod(NoIndex);
    m_tools[1] = std::make_unique<GSp>(ToolSetting::defaults(1));
    m_root = new RootItem;
    addItem(m_root);
}

GScene::~GScene()
{
    polish();
    clear();
}

// Items added to a scene wait in a list for their polish, and every removal
// searches that list: deliver the polish now so that clearing stays linear.
// The scene's own clear() then empties its item index in one go (the root is
// the only top-level item); removing the root item by item would take each
// of its children out of that sorted list one at a time, moving the rest.
void GScene::polish()
{
    if (QThread::currentThread() == thread())
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void GScene::gClear()
{
    polish();
    clear();
    m_root = new RootItem;
    addItem(m_root);
    m_items.clear();
    m_mark = nullptr;
    m_page.reset();
    m_fileName.clear();
    m_explicitOrder = false;
    m_background = QImage();
    m_rows.clear();
    m_cols.clear();
    m_fields.clear();
    setSceneRect(QRectF());
}

void GScene::apply(const SceneData &data)
{
    if (data.hasPage) {
        if (data.hasMark) {
            m_mark = new GMarkItem(m_root);
            m_mark->setMarks(data.pageMm, data.markAreaMm, data.markType, data.markSizeMm, data.lanesPt);
            m_items << m_mark;
        }
        m_page = std::make_unique<GPage>(data.pageMm, m_mark);
    }
    m_items.reserve(m_items.size() + data.paths.size());
    for (int i = 0; i < data.paths.size(); ++i) {
        auto *item = new GPathItem(data.paths[i].path, data.paths[i].tool, m_root);
        item->setFileIndex(i);
        m_items << item;
    }
    applyTools(data);
    m_explicitOrder = data.explicitOrder;
    m_rows = data.rows;
    m_cols = data.cols;
    m_background = data.background.isNull() ? QImage() : data.background.convertToFormat(QImage::Format_RGB888);
    m_fields = data.fields;
    applyFlags();
    polish();
    if (m_page) {
        const QRectF page = m_page->sceneRect();
        setSceneRect(page.adjusted(-page.width() / 10, -page.height() / 10, page.width() / 10, page.height() / 10));
    }
}

void GScene::applyTools(const SceneData &data)
{
    // Tools are updated in place: whoever holds a tool keeps a valid one.
    for (const ToolSetting &t : data.tools) {
        if (GSp *tool = sp(t.index))
            tool->setSetting(t);
        else
            m_tools[t.index] = std::make_unique<GSp>(t);
    }
    if (!m_tools.count(1))
        m_tools[1] = std::make_unique<GSp>(ToolSetting::defaults(1));
    for (const ScenePath &p : data.paths) {
        if (!m_tools.count(p.tool))
            m_tools[p.tool] = std::make_unique<GSp>(ToolSetting::defaults(p.tool));
    }
}

void GScene::setGSceneFlag(int flag, bool on)
{
    m_flags = on ? (m_flags | flag) : (m_flags & ~flag);
    applyFlags();
    update();
}

void GScene::applyFlags()
{
    const bool selectable = !testGSceneFlag(GSF_Locked);
    for (GItem *item : std::as_const(m_items)) {
        if (item == m_mark)
            item->setVisible(testGSceneFlag(GSF_ShowMarks));
        else
            item->setFlag(QGraphicsItem::ItemIsSelectable, selectable);
    }
}

QList<GItem *> GScene::gSelectedItems() const
{
    QList<GItem *> out;
    for (GItem *item : m_items) {
        if (item->isSelected())
            out << item;
    }
    return out;
}

GSp *GScene::sp(int index) const
{
    const auto it = m_tools.find(index);
    return it == m_tools.end() ? nullptr : it->second.get();
}

QList<GSp *> GScene::tools() const
{
    QList<GSp *> out;
    for (const auto &entry : m_tools)
        out << entry.second.get();
    return out;
}

void GScene::setBkImage(const QImage &image)
{
    m_background = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_RGB888);
}

GPathItem *GScene::addPathItem(const QPainterPath &path, int tool)
{
    auto *item = new GPathItem(path, tool, m_root);
    item->setFlag(QGraphicsItem::ItemIsSelectable, !testGSceneFlag(GSF_Locked));
    m_items << item;
    if (!m_tools.count(tool))
        m_tools[tool] = std::make_unique<GSp>(ToolSetting::defaults(tool));
    return item;
}
