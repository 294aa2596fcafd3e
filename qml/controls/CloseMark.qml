import QtQuick
import Dravolinte2024

// The "X" in the title bar of a popup: closes it on the press.
DrawnButton {
    width: 30
    height: 30
    radius: 2
    border.width: 0
    text: "X"
    font.pointSize: 12
    font.bold: true
    pressedColor: Theme.pressedColor
    hoverColor: Qt.rgba(1, 1, 1, 0.8)
    normalColor: Qt.rgba(0.8, 0.8, 0.8, 0)
    textColor: pressed ? Theme.pressedColor : (hovered ? Qt.rgba(0, 0, 0, 1) : Qt.rgba(1, 1, 1, 1))
    Accessible.name: qsTr("关闭")
}
