#include "inspection/labelcheck/CheckImages.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace {

// folder/stamp + suffix, or with "-1", "-2", ... after the stamp when that
// file is there already: two checks in one second keep both images.
QString freshName(const QString &folder, const QString &stamp, const QString &suffix)
{
    QString path = folder + QLatin1Char('/') + stamp + suffix;
    for (int n = 1; QFileInfo::exists(path) && n < 10000; ++n)
        path = folder + QLatin1Char('/') + stamp + QStringLiteral("-%1").arg(n) + suffix;
    return path;
}

bool saveJpeg(const QImage &image, const QString &path, const char *what)
{
    if (image.save(path, "JPG"))
        return true;
    qCritical().noquote() << "DravolinteApp::saveCheckImage" << "cannot save the" << what << path
                          << (image.isNull() ? "(no image)" : "");
    return false;
}

} // namespace

void CheckImages::startCheck(const QImage &image)
{
    m_image = image;
    m_imagePath.clear();
}

void CheckImages::setTemplate(const QImage &templ)
{
    m_template = templ;
    m_templatePath.clear();
}

QString CheckImages::save(bool enabled, const QDateTime &now)
{
    if (!enabled)
        return QStringLiteral("disable save check image");
    if (!m_imagePath.isEmpty())
        return m_imagePath;
    const QString folder = m_base + QStringLiteral("/image/") + now.toString(QStringLiteral("yyyy-MM-dd"));
    if (!QDir().mkpath(folder))
        qCritical().noquote() << "DravolinteApp::saveCheckImage" << "cannot make the folder" << folder;
    const QString stamp = now.toString(QStringLiteral("yyyy-MM-dd-HH-mm-ss"));
    m_imagePath = freshName(folder, stamp, QStringLiteral(".jpg"));
    saveJpeg(m_image, m_imagePath, "check image");
    if (m_templatePath.isEmpty()) {
        // Tried again with the next saved image when it could not be saved.
        // Named after the image it goes with.
        QString templatePath = m_imagePath;
        templatePath.chop(4);
        templatePath += QStringLiteral("bk.jpg");
        if (saveJpeg(m_template, templatePath, "template"))
            m_templatePath = templatePath;
    }
    return m_imagePath;
}

void CheckImages::checkedImage(QImage &img, const QPolygonF &poly, int index)
{
    if (img.isNull())
        return;
    QPainter painter(&img);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::red, 2));
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addPolygon(QTransform::fromScale(0.05, 0.05).map(poly));
    painter.drawPath(path);
    QFont font = painter.font();
    font.setWeight(QFont::Bold);
    font.setPointSize(5);
    painter.setFont(font);
    painter.drawText(QPointF(10, 10), QStringLiteral("%1").arg(index));
}
