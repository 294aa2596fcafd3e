import QtQuick
import QtQuick.Controls
import QtMultimedia
import Dravolinte2024

// The shown session's camera, by its description; a press lists the video
// inputs, and picking another one stores it for the shown camera and
// restarts that camera on it.
Rectangle {
    id: root

    property RCamera camera
    property CaptureSession session
    property color textColor: Theme.textColor

    function toggle() {
        if (list.opened || list.visible)
            list.close()
        else
            list.open()
    }
    // The entry (id, description) picked for the camera shown.
    function pick(entry) {
        list.close()
        if (!entry)
            return
        if (config.showCamera !== 0) {
            if (config.checkCamera === entry.id)
                return
            config.setCheckCameraName(entry.description)
            config.checkCamera = entry.id
        } else {
            if (config.markCamera === entry.id)
                return
            config.markCamera = entry.id
        }
        if (camera)
            camera.update_camera()
    }

    width: 150
    height: 30
    color: Qt.rgba(0.5, 0.5, 0.5, 0.3)
    Accessible.role: Accessible.ComboBox
    Accessible.name: qsTr("摄像头")
    Accessible.description: current.text
    Accessible.onPressAction: root.toggle()

    Label {
        id: current
        objectName: "currentCamera"
        anchors.fill: parent
        text: root.session && root.session.camera ? root.session.camera.cameraDevice.description : ""
        color: root.textColor
        elide: Text.ElideRight
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    MouseArea {
        anchors.fill: parent
        onPressed: root.toggle()
    }

    Popup {
        id: list
        objectName: "cameraList"
        x: 0
        y: 30
        width: root.width
        padding: 0
        focus: true
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent
        background: Rectangle {
            color: Theme.listColor
        }
        contentItem: Column {
            Repeater {
                model: root.camera ? root.camera.cameras : []
                delegate: Rectangle {
                    required property int index
                    required property var modelData
                    objectName: "cameraEntry" + index
                    width: root.width
                    height: Theme.entryHeight
                    color: entryArea.containsMouse ? Theme.entryHoverColor : Theme.entryColor
                    Accessible.role: Accessible.ListItem
                    Accessible.name: modelData.description
                    Accessible.onPressAction: root.pick(modelData)
                    Label {
                        anchors.centerIn: parent
                        width: parent.width
                        text: parent.modelData.description
                        elide: Text.ElideRight
                        horizontalAlignment: Text.AlignHCenter
                    }
                    MouseArea {
                        id: entryArea
                        anchors.fill: parent
                        hoverEnabled: true
                        onPressed: root.pick(parent.modelData)
                    }
                }
            }
        }
    }
}
