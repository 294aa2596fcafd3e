#pragma once

#include "platform/graphics/scenefiles/SceneData.h"

#include <QHash>
#include <QString>

class QPainter;

// The printed page of one data-source record: the background image over the
// whole page, then every variable field with the record's value (texts, QR
// codes, bar codes), all in the layout frame.
namespace RecordPage {

// Values by column name.
using Record = QHash<QString, QString>;

// Paints the page into `target` (device coordinates) of the painter.
void paint(QPainter *painter, const QRectF &target, const QSizeF &pageMm, const QImage &background,
           const QList<VariableField> &fields, const Record &record);
// Writes the page as a one-page PDF of the page's size (300 dpi for images).
bool writePdf(const QString &path, const QSizeF &pageMm, const QImage &background,
              const QList<VariableField> &fields, const Record &record);

} // namespace RecordPage
