import QtQuick
import QtQuick.Controls
import Dravolinte2024

// The label in front of a row of the file and camera pages' right panels.
Label {
    height: Theme.rowHeight
    font.pointSize: Theme.labelSize
    color: Theme.labelColor
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
}
