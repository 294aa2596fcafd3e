#pragma once

#include <QObject>
#include <QString>

// File names of the camera toolbar's snapshots and recordings: the folder
// and a time stamp to the second, without an extension (the camera picks
// it). A second shot within the same second gets "-2", "-3", ... rather than
// overwriting the first.
class ShotFiles : public QObject
{
    Q_OBJECT

public:
    explicit ShotFiles(QObject *parent = nullptr) : QObject(parent) {}

    // folder + "/" + stamp, or with a number added when a file of that name
    // (any extension) is there already; empty when folder is no folder that
    // can be written to.
    Q_INVOKABLE QString freeName(const QString &folder, const QString &stamp) const;
    static QString freeNameIn(const QString &folder, const QString &stamp);
};
