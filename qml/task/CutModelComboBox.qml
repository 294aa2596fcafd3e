import QtQuick
import QtQuick.Controls
import Dravolinte2024

// The machine's cutting mode: 0 "速度优先", 1 "平衡", 2 "精度优先" (any other
// value shows as speed first). A press opens the list below it; picking
// another mode sets mod and emits modModfiy(). It sends nothing itself.
Rectangle {
    id: root

    property int mod: 0

    signal modModfiy()

    readonly property var names: [qsTr("速度优先"), qsTr("平衡"), qsTr("精度优先")]

    function toggle() {
        if (list.opened || list.visible)
            list.close()
        else
            list.open()
    }
    function pick(index) {
        if (index !== mod) {
            mod = index
            modModfiy()
        }
        list.close()
    }

    border.width: 1
    border.color: Theme.boxBorderColor
    radius: 4
    color: area.pressed ? Theme.pressedColor : (area.containsMouse ? Theme.hoverColor : Theme.boxColor)

    Accessible.role: Accessible.ComboBox
    Accessible.name: qsTr("工作模式")
    Accessible.description: label.text
    Accessible.onPressAction: root.toggle()

    Label {
        id: label
        objectName: "modText"
        anchors.fill: parent
        text: root.mod >= 0 && root.mod < root.names.length ? root.names[root.mod] : root.names[0]
        font.pointSize: Theme.controlSize
        color: Theme.textColor
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        onPressed: root.toggle()
    }

    Popup {
        id: list
        objectName: "modList"
        x: 0
        y: root.height + 1
        width: root.width
        height: entries.height + 2
        padding: 0
        focus: true
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent
        background: Rectangle {
            color: Theme.listColor
            radius: 2
        }
        Column {
            id: entries
            x: 1
            y: 1
            Repeater {
                model: root.names
                delegate: Rectangle {
                    required property int index
                    required property string modelData
                    objectName: "modEntry" + index
                    width: root.width - 2
                    height: Theme.entryHeight
                    color: entryArea.containsMouse ? Theme.entryHoverColor : Theme.entryColor
                    Accessible.role: Accessible.ListItem
                    Accessible.name: modelData
                    Accessible.onPressAction: root.pick(index)
                    Text {
                        anchors.centerIn: parent
                        text: parent.modelData
                    }
                    MouseArea {
                        id: entryArea
                        anchors.fill: parent
                        hoverEnabled: true
                        onPressed: root.pick(parent.index)
                    }
                }
            }
        }
    }
}
