import QtQuick
import QtQuick.Controls
import Dravolinte2024

// The grey title bar of the popups with a close mark: the title 10 from the
// left, the mark 10 from the right; the mark closes the popup on the press.
Rectangle {
    id: bar

    property string title
    signal closeRequested()

    height: 40
    color: Theme.titleBarColor

    Label {
        anchors.left: parent.left
        anchors.leftMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        text: bar.title
        color: Theme.textColor
    }
    CloseMark {
        objectName: "closeMark"
        anchors.right: parent.right
        anchors.rightMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        onActivated: bar.closeRequested()
    }
}
