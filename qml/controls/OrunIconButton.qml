import QtQuick
import QtQuick.Controls
import Dravolinte2024

// A flat button showing one glyph of the icon font, tinted on hover and
// press, with an optional tool tip. Its accessible name is the tool tip, or
// what the user gives, never the glyph.
Rectangle {
    id: root

    property int fontSize: 16
    property var text
    property color iconColor: Qt.rgba(0.2, 0.2, 0, 1)
    property color bkHoverColor: Qt.rgba(0.85, 0.85, 0.85, 1)
    property color bkPressColor: Theme.pressedColor
    property color bkColor: Qt.rgba(0.5, 0.5, 0.5, 0)
    property string toolTips: ""
    property int iconPadding: 5
    property bool enableMouse: true

    signal clicked()

    width: glyph.width
    height: glyph.height
    radius: 2
    color: area.pressed ? bkPressColor : (area.containsMouse ? bkHoverColor : bkColor)

    Accessible.role: Accessible.Button
    Accessible.name: toolTips
    Accessible.onPressAction: if (root.enableMouse) root.clicked()

    Text {
        id: glyph
        text: root.text === undefined ? "" : root.text
        font.family: "OrunFont"
        font.pointSize: root.fontSize
        color: root.iconColor
        padding: root.iconPadding
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    MouseArea {
        id: area
        anchors.fill: parent
        anchors.margins: 3
        hoverEnabled: true
        enabled: root.enableMouse
        onClicked: root.clicked()
        onEntered: if (root.toolTips !== "") tip.visible = true
        onExited: tip.visible = false
    }
    ToolTip {
        id: tip
        objectName: "toolTip"
        text: root.toolTips
        delay: 500
        timeout: 3000
    }
}
