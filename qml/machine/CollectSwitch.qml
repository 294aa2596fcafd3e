import QtQuick
import QtQuick.Controls
import Dravolinte2024

// The take-up of the finished web: rewind ("收卷", trim false) or cut off
// ("裁断", trim true). A press anywhere flips it at once; the knob covers the
// mode not chosen. It stores nothing: its user writes trim back.
Rectangle {
    id: root

    property bool trim: false

    function toggle() {
        trim = !trim
    }

    color: "white"
    border.width: 1
    border.color: Theme.boxBorderColor
    radius: height / 2

    Accessible.role: Accessible.CheckBox
    Accessible.name: qsTr("收料")
    Accessible.description: trim ? qsTr("裁断") : qsTr("收卷")
    Accessible.checkable: true
    Accessible.checked: trim
    Accessible.onPressAction: root.toggle()
    Accessible.onToggleAction: root.toggle()

    Label {
        width: root.width / 2
        height: root.height
        text: qsTr("收卷")
        font.pointSize: Theme.controlSize
        color: Theme.textColor
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    Label {
        x: root.width / 2
        width: root.width / 2
        height: root.height
        text: qsTr("裁断")
        font.pointSize: Theme.controlSize
        color: Theme.textColor
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    Rectangle {
        objectName: "knob"
        x: root.trim ? 0 : root.width / 2
        width: root.width / 2
        height: root.height
        radius: height / 2
        color: Qt.rgba(0.4, 0.4, 0.4, 1)
    }
    MouseArea {
        anchors.fill: parent
        onPressed: root.toggle()
    }
}
