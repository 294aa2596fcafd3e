import QtQuick
import QtQuick.Controls

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
    border.color: Qt.rgba(0.8, 0.8, 0.8, 1)
    radius: 4
    color: area.pressed ? Qt.rgba(0.5, 0.5, 0.5, 1) : (area.containsMouse ? Qt.rgba(0.8, 0.8, 0.8, 1) : Qt.rgba(0.9, 0.9, 0.9, 1))

    Accessible.role: Accessible.ComboBox
    Accessible.name: qsTr("工作模式")
    Accessible.description: label.text
    Accessible.onPressAction: root.toggle()

    Label {
        id: label
        objectName: "modText"
        anchors.fill: parent
        text: root.mod >= 0 && root.mod < root.names.length ? root.names[root.mod] : root.names[0]
        font.pointSize: 9
        color: "black"
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
            color: Qt.rgba(0.5, 0.5, 0.5, 1)
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
                    height: 30
                    color: entryArea.containsMouse ? Qt.rgba(1, 1, 1, 0.6) : Qt.rgba(1, 1, 1, 0.4)
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
