#pragma once

#include "platform/graphics/scenefiles/SceneData.h"

#include <QByteArray>
#include <QString>

// Reads a cut file into SceneData: a plotter file with or without the layout
// header, or a .tqc scene file (told apart by its content, so a .tqc copied to
// a .plt name reads the same). Never fails hard: what cannot be used is left
// out and noted in `problems`. A file with neither a layout nor paths gives no page.
class SceneReader
{
public:
    // Path records beyond this are left out (a scene item costs about 1 kB).
    static constexpr int kMaxPaths = 250000;

    static SceneData read(const QByteArray &bytes);
    // False (and an empty scene) when the file cannot be read.
    static bool readFile(const QString &path, SceneData &scene);
};
