#pragma once

#include "views/cutpreview/PltLayout.h"

#include <QList>
#include <QPolygonF>
#include <QQuickPaintedItem>
#include <QString>

struct HPGL_Info;

// The task page's preview of a cut file ("PltQuickView" 1.0): set `file` to a
// ".plt" or ".hpgl" file and the item reads the layout from the file's header
// and the pen paths through the HPGL reader, then draws them (PltDrawing).
// Each item keeps its own paths: two previews show two files.
class PltQuickView : public QQuickPaintedItem
{
    Q_OBJECT
    Q_PROPERTY(QString file READ file WRITE setFile NOTIFY fileChanged)

public:
    explicit PltQuickView(QQuickItem *parent = nullptr);

    QString file() const { return m_file; }
    // Signals on every call; loads only files whose suffix is "plt" or "hpgl"
    // (exactly so), on the calling (GUI) thread, and repaints.
    void setFile(const QString &path);
    void paint(QPainter *painter) override;

    PltLayout layout() const { return m_layout; }
    const QList<QPolygonF> &paths() const { return m_paths; }

signals:
    void fileChanged();

private:
    void parseFile(const QString &path);
    static void collect(void *context, HPGL_Info info);

    QString m_file;
    PltLayout m_layout;
    QList<QPolygonF> m_paths; // drawing points: x across the web, y along it
};
