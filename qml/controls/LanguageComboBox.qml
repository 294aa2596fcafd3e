import QtQuick
import QtQuick.Controls

// The interface language: 0 "简体中文", 1 "English". It stores nothing; its
// user writes the language on modModfiy(). The names are shown as they are
// in either language. The list opens above the box.
Rectangle {
    id: root

    property int mod: 0

    signal modModfiy()

    readonly property var names: ["简体中文", "English"]

    border.width: 1
    border.color: Qt.rgba(0.8, 0.8, 0.8, 1)
    radius: 4
    color: area.pressed ? Qt.rgba(0.5, 0.5, 0.5, 1) : (area.containsMouse ? Qt.rgba(0.8, 0.8, 0.8, 1) : Qt.rgba(0.9, 0.9, 0.9, 1))

    Accessible.role: Accessible.ComboBox
    Accessible.name: "语言 / Language"
    Accessible.description: label.text
    Accessible.onPressAction: root.toggle()

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

    Label {
        id: label
        anchors.fill: parent
        text: root.mod === 1 ? "English" : "简体中文"
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
        objectName: "languageList"
        x: 0
        y: -height - 2
        width: root.width
        height: entries.height + 2
        padding: 0
        modal: false
        focus: true
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent
        background: Rectangle {
            color: Qt.rgba(0.5, 0.5, 0.5, 1)
            radius: 2
        }
        Column {
            id: entries
            anchors.left: parent.left
            anchors.top: parent.top
            anchors.margins: 1
            Repeater {
                model: root.names
                delegate: Rectangle {
                    required property int index
                    required property string modelData
                    objectName: "languageEntry" + index
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
