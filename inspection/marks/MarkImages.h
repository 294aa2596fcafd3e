#pragma once

#include <QImage>
#include <QString>

// Pictures of marks kept on disk for the operator and for diagnosis.
class MarkImages
{
public:
    // Draws the mark (a red circle of diameter l at (x, y), both times scale)
    // and its position text onto img, then saves img as
    // "markedImage<yyyy-MM-dd-HH-mm-ss>.jpg" in the working folder. Returns
    // the file name, empty when img is null or cannot be saved.
    static QString markedImage(QImage &img, int x, int y, int l, double scale);
    // Saves the frame as fileName + ".jpg" at quality 100; false (and a log
    // line) for a null frame or a failed write.
    static bool saveFrame(const QImage &frame, const QString &fileName);
};
