#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// An advertising message of the ad topic: JSON with "messageType" (2: show
// these images), "coverImage" (image addresses, comma-separated) and "link"
// (the links, likewise; one link serves every image).
struct AdMessage
{
    // Larger payloads are not read.
    static constexpr qsizetype kMaxPayload = 64 * 1024;

    int messageType = -1; // -1: absent; a value that is no number counts as 0
    QString coverImage;
    QString link;
    // Why the payload holds no ad, for the log; empty when it does.
    QString problem;

    static AdMessage parse(const QByteArray &payload);
    // Only type 2 with images changes the carousel.
    bool shows() const { return messageType == 2 && !coverImage.isEmpty(); }
    // Split at every ",", empty pieces kept, nothing trimmed.
    QStringList images() const { return coverImage.split(QLatin1Char(',')); }
    QStringList links() const { return link.split(QLatin1Char(',')); }
};
