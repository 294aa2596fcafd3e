import QtQuick
import Dravolinte2024

// A button drawn from a rectangle, as the popups draw theirs: it acts on the
// press itself. A screen reader finds it by its caption and can press it.
Rectangle {
    id: root

    property string text
    property font font
    property color pressedColor: Theme.pressedColor
    property color hoverColor: Theme.hoverColor
    property color normalColor: Qt.rgba(1, 1, 1, 1)
    property color textColor: Theme.textColor
    readonly property alias pressed: area.pressed
    readonly property alias hovered: area.containsMouse

    signal activated()

    color: area.pressed ? pressedColor : (area.containsMouse ? hoverColor : normalColor)
    border.width: 1
    border.color: Theme.popupBorderColor

    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.onPressAction: root.activated()

    Text {
        anchors.centerIn: parent
        text: root.text
        font: root.font
        color: root.textColor
    }

    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        onPressed: root.activated()
    }
}
