import QtQuick
import QtQuick.Controls
import Dravolinte2024

// What every popup of the pages shares: modal, centred in the window, closed
// by Escape or a press outside the item it is declared in, white with a grey
// border, and the quick zoom in and out.
Popup {
    id: control

    property string title: "Dravolinte"
    property bool animated: true

    padding: 0
    modal: true
    // Escape reaches a popup only while it has the focus.
    focus: true
    anchors.centerIn: Overlay.overlay
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent

    background: Rectangle {
        color: "white"
        radius: 2
        border.width: 1
        border.color: Theme.popupBorderColor
    }

    // A screen reader names the dialog by its title. The dialog it sees is
    // the popup's own item, which only the content's parent reaches.
    Component.onCompleted: contentItem.parent.Accessible.name = Qt.binding(function() { return control.title })

    enter: Transition {
        enabled: control.animated
        NumberAnimation { property: "scale"; from: 1.2; to: 1; duration: 83; easing.type: Easing.OutCubic }
        NumberAnimation { property: "opacity"; from: 0; to: 1; duration: 83 }
    }
    exit: Transition {
        enabled: control.animated
        NumberAnimation { property: "scale"; from: 1; to: 1.2; duration: 83; easing.type: Easing.OutCubic }
        NumberAnimation { property: "opacity"; from: 1; to: 0; duration: 83 }
    }
}
