import QtQuick
import QtQuick.Controls
import Dravolinte2024

// A message without buttons: a title bar with its close mark, an optional
// maker icon and the message, red and bold by default. The error popup
// (clearsError) empties device.errorMessage whenever it closes, so that the
// same error raised again shows it again; other popups leave it alone.
PopupLook {
    id: control

    property string text: ""
    property color textColor: Theme.errorColor
    property bool textFontBold: true
    property bool showIcon: false
    property bool clearsError: false

    implicitWidth: 400
    implicitHeight: 140

    onClosed: {
        if (clearsError)
            device.errorMessage = ""
    }

    contentItem: Item {
        TitleBar {
            id: rect_title
            width: control.width
            title: control.title
            onCloseRequested: control.close()
        }
        Column {
            id: column
            x: 10
            y: rect_title.height + 10
            width: control.width - 20
            height: control.height - rect_title.height - 20
            spacing: 10

            Image {
                id: iconImage
                objectName: "iconImage"
                visible: control.showIcon
                anchors.horizontalCenter: parent.horizontalCenter
                source: control.showIcon ? "file:Dravolinte/res/BRENOQ.svg" : ""
                sourceSize.height: Math.floor(Math.min(0.3 * column.width, 100))
                Accessible.ignored: true
            }
            Label {
                objectName: "message"
                width: parent.width
                height: control.showIcon ? parent.height - iconImage.height - 10 : parent.height
                text: control.text
                color: control.textColor
                font.pointSize: Theme.messageSize
                font.bold: control.textFontBold
                wrapMode: Text.WrapAnywhere
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }
        }
    }
}
