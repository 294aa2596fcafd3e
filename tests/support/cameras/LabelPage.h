#pragma once

#include "platform/graphics/scenefiles/SceneData.h"

#include <QImage>
#include <QList>
#include <QMap>
#include <QPoint>
#include <QRectF>
#include <QSet>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <vector>

// A printed page of labels for the label check's tests. Layout frame:
// millimetres, x across the web (the page's width), y along it.
struct PrintedLabel
{
    QRectF rectMm;
    QString text;    // printed text, empty: none
    QString qr;      // QR code content, empty: none
    QString code128; // Code 128 content, empty: none
};

struct LabelPage
{
    QSizeF pageMm{100, 60};
    QList<PrintedLabel> labels;

    // Three labels across, two along: codes in some, text in others.
    static LabelPage sixLabels();
    // across x along labels of the same size, printed as sixLabels' in turn;
    // plain: none carries a code or a text.
    static LabelPage grid(int across, int along, bool plain = false);

    // Labels removed (left blank), altered (half covered by a block) or
    // printed shifted (pixels).
    struct Faults
    {
        QSet<int> removed;
        QSet<int> altered;
        QMap<int, QPoint> shifted;
    };
    // The page at pxPerMm: white paper with the labels printed.
    QImage render(double pxPerMm, const Faults &faults = Faults()) const;
    // The label cells in pixels of a template of the page pxPerMm.
    std::vector<QRect> cells(double pxPerMm) const;
    // The cut scene: the page, a cut path around each label (which gives
    // the bands) and the page as background image at pxPerMm.
    SceneData scene(double pxPerMm) const;
};

// What the check camera sees, upright (as the check turns it): the dark belt,
// the paper between two columns, pages one after the other from a row on.
struct CheckView
{
    QSize frame{1200, 900};
    int paperLeft = 100;   // first paper column
    int paperRight = 1100; // first belt column after the paper
    int pageRow = 150;     // row where a page starts
    double spacingMm = 0.0;
    LabelPage::Faults faults; // of the page at pageRow
    bool noPaper = false;     // belt only
    bool noPages = false;     // paper without print

    double pxPerMm(const LabelPage &page) const { return (paperRight - paperLeft) / page.pageMm.width(); }
    QImage render(const LabelPage &page) const;
    // The same frame as a camera turned by rotation delivers it: the check's
    // turn (90 - rotation degrees) sets it upright again.
    QImage camera(const LabelPage &page, int rotation) const;
};
