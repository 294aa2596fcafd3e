#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

// Plain data of one cut page, between the file readers/writers and GScene.
//
// Two frames are in use:
//  - the layout frame (millimetres, as printed): x across the web (page
//    width), y along it (page length), origin at the page's top-left corner;
//    the page layout, the marked area, the background image and the variable
//    fields are given in it;
//  - the scene frame (points): x along the web (the page length), y across it,
//    origin at the same corner; cut paths are given in it, so that scene x is
//    the plotter's X and the machine's web axis.

// A band of labels, start and end in millimetres of the page.
struct SceneSegment
{
    double start = 0;
    double end = 0;
    bool operator==(const SceneSegment &o) const { return start == o.start && end == o.end; }
};

// One tool (plotter pen) of the tool table.
struct ToolSetting
{
    int index = 1;
    QString name;
    QColor color = Qt::black;
    int flags = 0;              // 1 close compensation on, 2 knife compensation on
    double closeCompensate = 0; // points
    double knifeCompensate = 0; // points
    double toolUpAngle = 30;    // degrees
    int repeat = 1;             // times each path is cut

    static ToolSetting defaults(int index);
};

// A text, QR code or bar code printed from a column of the data source.
struct VariableField
{
    enum Kind { Text, QrCode, Barcode };
    Kind kind = Text;
    QString column;   // header of the data-source column; empty: `text` is printed
    QString text;
    QRectF rectMm;    // layout frame
    int symbology = 0; // zint symbology for bar codes (0: Code 128)
    double fontPt = 0; // text size; 0: fitted to the rectangle's height
};

struct ScenePath
{
    QPainterPath path; // scene frame, points
    int tool = 1;
};

struct SceneData
{
    bool hasPage = false;
    QSizeF pageMm; // width across the web, height along it

    bool hasMark = false;
    int markType = 0;
    double markSizeMm = 0;
    QRectF markAreaMm;     // the marked area, layout frame
    QList<double> lanesPt; // knife lane offsets across the web, points

    QList<ScenePath> paths;     // in file order
    bool explicitOrder = false; // the file order is the cut order
    QList<ToolSetting> tools;   // empty: the file brings no tool table

    bool hasSegments = false;
    QList<SceneSegment> rows; // along the web (page length)
    QList<SceneSegment> cols; // across the web (page width)

    QImage background; // layout frame, covering the page
    QList<VariableField> fields;

    QStringList problems; // what was wrong with the file, for the log

    // The page, the marked area in the scene frame, points.
    QRectF pageScene() const;
    QRectF markAreaScene() const;
    // Label bands from the extents of the paths (merged where they overlap).
    void computeSegments();
};

// A layout-frame rectangle in millimetres as a scene-frame rectangle in points, and back.
QRectF layoutMmToScene(const QRectF &mm);
QRectF sceneToLayoutMm(const QRectF &points);
