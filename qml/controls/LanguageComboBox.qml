import QtQuick
import QtQuick.Controls
import Dravolinte2024

// The interface language: 0 "简体中文", 1 "English". It stores nothing; its
// user writes the language on modModfiy(). The names are shown as they are
// in either language. The list opens above the box.
Rectangle {
    id: root

    property int mod: 0

    signal modModfiy()

    readonly property var names: ["简体中文", "English"]

    border.width: 1
    border.color: Theme.boxBorderColor
    radius: 4
    color: area.pressed ? Theme.pressedColor : (area.containsMouse ? Theme.hoverColor : Theme.boxColor)

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
            color: Theme.listColor
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
