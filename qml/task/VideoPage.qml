import QtQuick
import QtQuick.Controls
import Dravolinte2024

// The camera and set-up page of the task tab: the shown camera large on the
// left, with its film history; on the right, scrolling, the lights of that
// camera, the hold-to-run jogs, the tests and the cut parameters.
Item {
    id: control

    property RCamera camera

    Rectangle {
        id: left_panel
        objectName: "left_panel"
        anchors.left: parent.left
        width: control.width - right_panel.width
        height: control.height
        color: "black"

        CameraView {
            objectName: "video"
            anchors.fill: parent
            camera: control.camera
            cs: control.camera ? control.camera.currCS : null
            showFilmHistory: true
        }
    }

    Flickable {
        id: right_panel
        objectName: "right_panel"
        anchors.right: parent.right
        width: 400
        height: control.height
        clip: true
        contentWidth: width
        contentHeight: sections.height
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar {}

        Rectangle {
            width: right_panel.width
            height: Math.max(right_panel.height, sections.height)
            color: "white"
        }

        Column {
            id: sections
            x: 10
            width: right_panel.width - 20
            spacing: 10

            SectionTitle { text: qsTr("灯光调整") }
            VideoLights { width: sections.width }
            SectionTitle { text: qsTr("手动移动") }
            VideoJogs { width: sections.width }
            SectionTitle { text: qsTr("测试") }
            VideoTests { width: sections.width; camera: control.camera }
            SectionTitle { text: qsTr("参数调整") }
            VideoParams { width: sections.width - 30 }
            Item {
                width: sections.width
                height: 100
            }
        }
    }

    component SectionTitle: Column {
        property alias text: title.text
        width: sections.width
        spacing: 5
        topPadding: 10
        Label {
            id: title
            x: 20
            height: 15
            font.bold: true
            font.pointSize: Theme.titleSize
            color: Theme.accent
            verticalAlignment: Text.AlignVCenter
        }
        Rectangle {
            width: parent.width
            height: 1
            color: Theme.ruleColor
        }
    }
}
