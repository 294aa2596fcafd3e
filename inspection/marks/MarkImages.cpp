#include "inspection/marks/MarkImages.h"

#include <QDateTime>
#include <QDebug>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>

namespace {

bool paintable(QImage::Format format)
{
    switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGB888:
    case QImage::Format_BGR888:
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
        return true;
    default:
        return false;
    }
}

} // namespace

QString MarkImages::markedImage(QImage &img, int x, int y, int l, double scale)
{
    if (img.isNull()) {
        qWarning().noquote() << "MarkImages::markedImage" << "no image to mark";
        return QString();
    }
    // Grey, indexed and mono frames cannot carry a red circle.
    if (!paintable(img.format()))
        img = img.convertToFormat(QImage::Format_RGB32);
    QPainter painter(&img);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::red, 4));
    const double r = l * 0.5 * scale;
    painter.drawEllipse(QRect(int(x * scale - r), int(y * scale - r), int(l * scale), int(l * scale)));
    // Text needs the GUI application's fonts.
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        QFont font = painter.font();
        font.setPointSize(8);
        font.setWeight(QFont::Bold);
        painter.setFont(font);
        painter.drawText(QPoint(2, 15), QStringLiteral("Pos:(%1, %2) d:%3").arg(x).arg(y).arg(l));
    }
    painter.end();
    const QString name = QStringLiteral("markedImage") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HH-mm-ss")) +
                         QStringLiteral(".jpg");
    if (!img.save(name)) {
        qWarning().noquote() << "MarkImages::markedImage" << "cannot save" << name;
        return QString();
    }
    return name;
}

bool MarkImages::saveFrame(const QImage &frame, const QString &fileName)
{
    if (frame.isNull()) {
        qWarning().noquote() << "MarkImages::saveFrame" << "no frame to save";
        return false;
    }
    const QString name = fileName + QStringLiteral(".jpg");
    if (!frame.save(name, nullptr, 100)) {
        qWarning().noquote() << "MarkImages::saveFrame" << "cannot save" << name;
        return false;
    }
    return true;
}
