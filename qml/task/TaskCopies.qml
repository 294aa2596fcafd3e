import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Basic as Basic
import Dravolinte2024

// A copies preset: a button showing the preset (plain digits, or "自动")
// that drops down a spin box and the common presets. Its only output is its
// text; preset() reads it as a number (-1 for "自动"). Only the operator's
// edits of the spin box change the text: opening the list on "自动" or "0",
// which the spin box cannot show, leaves the text as it is.
Basic.Button {
    id: control

    readonly property alias popuped: popup.opened
    property bool automatic: false

    readonly property var presets: ["0", "10", "20", "50", "100", "200", "500", "1000"]

    // The preset the text stands for: -1 automatic, else its number.
    function preset() {
        return automatic ? -1 : Number(text)
    }
    function setText(value) {
        automatic = false
        text = value
    }
    function setAutomatic() {
        automatic = true
        text = qsTr("自动")
    }
    function toggle() {
        if (popup.opened || popup.visible) {
            popup.close()
            return
        }
        const n = Number(text)
        if (!automatic && Number.isInteger(n) && n >= spb.from && n <= spb.to)
            spb.value = n
        popup.open()
    }

    Accessible.name: text
    onClicked: toggle()

    contentItem: Text {
        text: control.text
        font: control.font
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    Popup {
        id: popup
        objectName: "copiesPopup"
        x: 0
        y: control.height + 1
        width: control.width
        height: col.height + 30
        padding: 0
        focus: true
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent
        background: Rectangle {
            color: Theme.listColor
        }

        Basic.SpinBox {
            id: spb
            objectName: "spb"
            width: popup.width
            height: Theme.rowHeight
            from: 1
            to: 999999
            value: 100
            editable: true
            focus: true
            font.pointSize: Theme.smallSize
            Accessible.name: qsTr("份数")
            // Plain digits whatever the locale: "1.000" would read back as 1.
            textFromValue: function(value) { return String(value) }
            valueFromText: function(text) {
                const n = parseInt(String(text).replace(/[^0-9]/g, ""), 10)
                return isNaN(n) ? spb.value : n
            }
            validator: RegularExpressionValidator { regularExpression: /[0-9]{1,6}/ }
            background: Rectangle {
                border.width: 1
                border.color: Theme.fieldBorderColor
            }
            onValueModified: control.setText(String(value))
        }

        Column {
            id: col
            y: 30
            Repeater {
                model: control.presets.concat([qsTr("自动")])
                delegate: Rectangle {
                    required property int index
                    required property string modelData
                    objectName: "preset" + index
                    width: control.width
                    height: Theme.entryHeight
                    color: presetArea.containsMouse ? Theme.entryHoverColor : Theme.entryColor
                    Accessible.role: Accessible.ListItem
                    Accessible.name: modelData
                    Accessible.onPressAction: pick(index)
                    function pick(i) {
                        if (i < control.presets.length)
                            control.setText(control.presets[i])
                        else
                            control.setAutomatic()
                        popup.close()
                    }
                    Label {
                        anchors.centerIn: parent
                        text: parent.modelData
                    }
                    MouseArea {
                        id: presetArea
                        anchors.fill: parent
                        hoverEnabled: true
                        onPressed: parent.pick(parent.index)
                    }
                }
            }
        }
    }
}
