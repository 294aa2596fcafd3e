#pragma once

#include "platform/graphics/scenefiles/SceneData.h"

#include <QByteArray>

// Writes SceneData as a plotter file (layout header and paths) or as a .tqc
// scene file (the same plus the scene description and the image, see TqcFormat.h).
// Paths are written in the order given; coordinates count from the marked
// area's corner (the page's without a mark), with up to four decimals.
class SceneWriter
{
public:
    static QByteArray plt(const SceneData &scene);
    static QByteArray tqc(const SceneData &scene);
    static bool writeFile(const QString &path, const QByteArray &bytes);
};
