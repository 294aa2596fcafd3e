#include "views/cutpreview/PltQuickView.h"

#include "platform/graphics/paths/GPathProcess.h"
#include "configuration/LocalFile.h"
#include "configuration/Notifier.h"
#include "views/cutpreview/PltDrawing.h"
#include "PltHeader.h"
#include "hpgl.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QPainter>

PltQuickView::PltQuickView(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
}

void PltQuickView::setFile(const QString &path)
{
    m_file = path;
    emit fileChanged();
    // The pages may hand over a file URL as well as a path.
    const QString local = LocalFile::pathFromVariant(path);
    const QString suffix = QFileInfo(local).suffix();
    if (suffix != QLatin1String("plt") && suffix != QLatin1String("hpgl")) {
        qInfo().noquote() << "PltQuickView::setFile" << "not a plt or hpgl file, nothing loaded:" << path;
        return;
    }
    parseFile(local);
    m_paths.clear();
    HPGL_Reader *reader = init_HPGL();
    read_HPGL(reader, local, &PltQuickView::collect, this);
    exit_HPGL(reader);
    update();
}

void PltQuickView::parseFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qWarning().noquote() << "PltQuickView::parseFile" << "cannot open" << path << file.errorString();
        Notifier::warning(QStringLiteral("Graphics"), QStringLiteral("Open File Error"));
        return;
    }
    // A header that is not there or not usable leaves no part of the last file's layout.
    m_layout = PltLayout::fromHeader(PltHeader::parse(file.read(PltHeader::kScanBytes)));
}

// The reader's point is (along the web, across it); the page's x runs across.
void PltQuickView::collect(void *context, HPGL_Info info)
{
    if (info.kind != HPGL_KIND_PATH)
        return;
    QPolygonF polygon;
    polygon.reserve(info.count);
    for (const HPGL_Point *p = info.points; p; p = p->next)
        polygon << GPathProcess::hpgl2Point(QPointF(p->y, p->x));
    static_cast<PltQuickView *>(context)->m_paths.append(std::move(polygon));
}

void PltQuickView::paint(QPainter *painter)
{
    PltDrawing::paint(painter, size(), m_layout, m_paths);
}
