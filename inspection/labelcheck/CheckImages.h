#pragma once

#include <QDateTime>
#include <QImage>
#include <QPolygonF>
#include <QString>

// Evidence of irregular label checks: the check image and a copy of the
// template, as JPEG files in "<base>/image/<yyyy-MM-dd>". A check's image is
// saved at most once however many failures ask for it, a template once with
// the first image saved after it was loaded. Not locked: its owner calls it
// under the lock that serialises the checks.
class CheckImages
{
public:
    explicit CheckImages(const QString &baseFolder = QString()) : m_base(baseFolder) {}

    void setBaseFolder(const QString &folder) { m_base = folder; }
    QString baseFolder() const { return m_base; }

    // A new check begins with this image; nothing of it saved yet.
    void startCheck(const QImage &image);
    // A new template (kept to be saved with the next check image).
    void setTemplate(const QImage &templ);

    // With saving enabled: saves what is not saved yet and returns the check
    // image's path (a failed save is logged, the path still names the check).
    // Disabled: "disable save check image", nothing saved.
    QString save(bool enabled, const QDateTime &now = QDateTime::currentDateTime());

    QString imagePath() const { return m_imagePath; }
    QString templatePath() const { return m_templatePath; }

    // Marks a label's outline (scaled by 0.05) and its number on img.
    static void checkedImage(QImage &img, const QPolygonF &poly, int index);

private:
    QString m_base;
    QImage m_image;
    QImage m_template;
    QString m_imagePath;
    QString m_templatePath;
};
