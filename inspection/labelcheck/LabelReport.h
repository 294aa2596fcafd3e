#pragma once

#include "ReadData.h"
#include "platform/graphics/scenefiles/SceneData.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// The inspection report "label.csv": one row per checked page, in GBK, for a
// spreadsheet program. Fields with line breaks, commas or quotes are quoted
// with their quotes doubled, so that every row keeps its four cells.
class LabelReport
{
public:
    // What a row needs beside the check result.
    struct Page
    {
        QDateTime time;
        int segmentX = 0;     // the page's start row in the check image
        double scale = 0.0;   // millimetres per pixel
        QList<SceneSegment> rows; // label bands along the web, mm of the page
        QList<SceneSegment> cols; // across it
        bool barCodes = false;    // reading switched on
        bool qrCodes = false;
        bool texts = false;
    };

    // The one report: "label.csv" in the working folder, where it is written
    // and from where the spreadsheet program opens it.
    static QString filePath();

    // The row of a page, line breaks as "\n", ending in one.
    static QString row(const ReadData &result, const Page &page);
    // GBK ("?" for what GBK cannot hold), every line break as CR LF.
    static QByteArray encode(const QString &row);
    // Appends bytes to the file; false with the reason when it cannot.
    static bool append(const QString &path, const QByteArray &bytes, QString *error = nullptr);
};
