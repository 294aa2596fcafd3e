import QtQuick

// A button drawn from a rectangle, as the popups draw theirs: it acts on the
// press itself. A screen reader finds it by its caption and can press it.
Rectangle {
    id: root

    property string text
    property font font
    property color pressedColor: Qt.rgba(0.5, 0.5, 0.5, 1)
    property color hoverColor: Qt.rgba(0.8, 0.8, 0.8, 1)
    property color normalColor: Qt.rgba(1, 1, 1, 1)
    property color textColor: "black"
    readonly property alias pressed: area.pressed
    readonly property alias hovered: area.containsMouse

    signal activated()

    color: area.pressed ? pressedColor : (area.containsMouse ? hoverColor : normalColor)
    border.width: 1
    border.color: Qt.rgba(0.5, 0.5, 0.5, 0.5)

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
