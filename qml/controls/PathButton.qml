import QtQuick
import QtQuick.Controls
import Dravolinte2024

// A button showing a stored path (its start elided) that opens the path's
// dialog; light-grey bordered, as the file pages draw them.
Button {
    id: control

    height: Theme.rowHeight
    font.pointSize: Theme.controlSize
    Accessible.description: text

    background: Rectangle {
        color: control.down ? Qt.rgba(0.85, 0.85, 0.85, 1) : "white"
        border.width: 1
        border.color: Theme.fieldBorderColor
    }
    contentItem: Text {
        text: control.text
        font: control.font
        elide: Text.ElideLeft
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
}
