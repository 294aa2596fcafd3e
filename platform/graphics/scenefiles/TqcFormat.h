#pragma once

#include "platform/graphics/scenefiles/SceneData.h"

#include <QByteArray>
#include <QJsonObject>

// The ".tqc" scene file.
//
// A .tqc file is a plotter (HP-GL) file that any cut-file reader can show: the
// layout header comes first, the cut paths are ordinary PU/PD commands, and
// everything else rides in HP-GL comments (CO"..."), which plotters and the
// PLT readers skip. A copy renamed to .plt (the preview's "showplt.plt") thus
// shows the page, its marks, lanes and paths, and opens again as the same scene.
//
//   IN;PS<length>,<width>,<offset along>,<offset across>,<mark type>,<mark size>[,<lanes>...];
//   MD<mark type>,<mark size>,<area length>,<area width>,<lane count>;
//   CO"TQC 1";                     magic and format version (the first comment)
//   CO"SCENE <base64 of JSON>";    the scene description below
//   CO"IMAGE <base64 of PNG>";     background image (optional)
//   SP<tool>;PU<x>,<y>;PD<x>,<y>,<x>,<y>...;   one PU/PD group per subpath
//   ...
//   PU0,0;
//
// The header and the path coordinates are plotter units (40 per mm); path
// coordinates count from the marked area's top-left corner (the page's corner
// without a mark), x along the web, y across it, with up to four decimals.
// The paths are written in the order in which the scene cuts them.
//
// The JSON object (every length in mm unless said otherwise; the layout frame
// has x across the web, y along it, from the page's top-left corner):
//   "version": 1
//   "page":   {"width": w, "length": l}
//   "mark":   {"type": t, "size": s, "area": [x, y, w, h], "lanes": [points...]}   (absent: no mark)
//   "tools":  [{"index", "name", "color" "#rrggbb", "flags" (1 close, 2 knife compensation),
//               "closeCompensate" and "knifeCompensate" (points), "toolUpAngle" (degrees), "repeat"}]
//   "order":  true when the path order is the cut order to keep (no automatic sorting)
//   "rows", "cols": [[start, end], ...] label bands along and across the web
//   "fields": [{"kind": "text"|"qr"|"barcode", "column": header of the data-source column,
//               "text": fixed text when no column, "rect": [x, y, w, h], "symbology": zint
//               number for bar codes, "font": point size (0 fits the height)}]
//   "items":  [subpaths per item, ...] (absent: one item per PU/PD group)
// A value that does not make sense is left out with a note in the log; a file
// whose comments are damaged still opens with its header and paths.
namespace TqcFormat {

constexpr char kMagic[] = "TQC 1";
constexpr char kSceneTag[] = "SCENE ";
constexpr char kImageTag[] = "IMAGE ";

// The JSON description of a scene (everything but the paths and the image).
QJsonObject toJson(const SceneData &scene, const QList<int> &subpathsPerItem);
// Fills `scene` from the JSON; returns the subpaths per item (empty: one each).
QList<int> fromJson(const QJsonObject &json, SceneData &scene);

} // namespace TqcFormat
