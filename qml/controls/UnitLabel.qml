import QtQuick
import QtQuick.Controls
import Dravolinte2024

// The unit after a number field ("mm", "gf", "份").
Label {
    height: Theme.rowHeight
    font.pointSize: Theme.unitSize
    color: Theme.unitColor
    verticalAlignment: Text.AlignVCenter
}
