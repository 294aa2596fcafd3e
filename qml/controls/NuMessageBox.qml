import QtQuick
import QtQuick.Controls
import Dravolinte2024

// The confirmation and notice box: a title, a message, "确 定" and "取 消".
// OK emits clickedOk() on the press, before the box closes.
PopupLook {
    id: control

    property string text: ""
    property font titleFont
    property font textFont
    property font btnFont
    property real btnWidth: 120
    property real btnHeight: 50

    signal clickedOk()

    implicitWidth: 600
    implicitHeight: 300

    contentItem: Item {
        Rectangle {
            id: rect_title
            width: control.width
            height: control.height * 0.2
            color: Theme.titleBarColor
            Label {
                anchors.fill: parent
                text: control.title
                font: control.titleFont
                color: Theme.textColor
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }
        }
        Label {
            id: text_content
            objectName: "text_content"
            y: rect_title.height
            width: control.width
            height: control.height * 0.6
            text: control.text
            font: control.textFont
            color: Theme.textColor
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
        Rectangle {
            id: rect_bottom
            objectName: "rect_bottom"
            y: rect_title.height + text_content.height
            width: control.width
            height: control.btnHeight + 20
            color: "white"
            border.width: 1
            border.color: Theme.popupBorderColor

            DrawnButton {
                objectName: "okButton"
                width: control.btnWidth
                height: control.btnHeight
                anchors.right: parent.horizontalCenter
                anchors.rightMargin: 10
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("确 定")
                font: control.btnFont
                onActivated: {
                    control.clickedOk()
                    control.close()
                }
            }
            DrawnButton {
                objectName: "cancelButton"
                width: control.btnWidth
                height: control.btnHeight
                anchors.left: parent.horizontalCenter
                anchors.leftMargin: 10
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("取 消")
                font: control.btnFont
                onActivated: control.close()
            }
        }
    }
}
