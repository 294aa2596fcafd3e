import QtQuick
import QtQuick.Controls
import QtMultimedia
import FilmView
import LostLabelView
import Dravolinte2024

// One camera of the machine with the inspection overlays: config.showCamera
// picks the camera (0 the mark camera on white, 1 the check camera on black),
// config.usedQMLCamera its source (the session's video, or the industrial
// camera's frames from the image provider). The mark tab adds the print
// preview and the mark overlay, the check tab the lost-label map and its
// legend; the toolbar, the camera tabs and the camera list lie on top.
Item {
    id: root

    // The QML camera object of the task tab.
    property RCamera camera
    property CaptureSession cs
    property bool showFilmHistory: false
    property real markScale: 0
    property int lineWidth: 50
    property int toolTipDelay: 500
    property int toolTipTimeOut: 5000

    readonly property bool markTab: config.showCamera === 0
    readonly property bool qmlSource: config.usedQMLCamera
    readonly property int checkRotation: config.checkCameraRotation
    readonly property real zoom: markTab ? 1 : 1 + markScale

    // Shows session c here: its frames come to this view's video output and
    // the toolbar works its capture and recorder. The view that asked last
    // shows the picture.
    function setCs(c) {
        if (!c)
            return
        if (c.videoOutput)
            c.videoOutput.target = viewfinder
        video_tool_bar.capture = c.imageCapture
        video_tool_bar.shots = camera ? camera.answersOf(c) : null
        video_tool_bar.recorder = c.recorder
    }

    onCsChanged: setCs(cs)
    Component.onCompleted: setCs(cs)

    Rectangle {
        objectName: "background"
        anchors.fill: parent
        clip: true
        color: root.markTab ? "white" : Qt.rgba(0, 0, 0, 1)

        Image {
            objectName: "printPreview"
            anchors.fill: parent
            visible: root.markTab
            source: app.printImgPath
            sourceSize.width: Math.max(1, Math.floor(width))
            sourceSize.height: Math.max(1, Math.floor(height))
            fillMode: Image.PreserveAspectFit
            asynchronous: true
            Accessible.ignored: true
        }

        VideoOutput {
            id: viewfinder
            objectName: "viewfinder"
            anchors.centerIn: parent
            visible: root.qmlSource
            width: root.markTab || root.checkRotation !== 0 ? root.height : root.width
            height: root.markTab || root.checkRotation !== 0 ? root.width : root.height
            rotation: root.markTab ? config.markCameraRotation : -root.checkRotation
            transform: Scale {
                id: zoomScale
                origin.x: root.markTab ? 0 : viewfinder.contentRect.x + viewfinder.contentRect.width / 2
                origin.y: root.markTab ? 0 : viewfinder.contentRect.y + viewfinder.contentRect.height / 2
                xScale: root.zoom
                yScale: root.zoom
            }
        }

        FilmView {
            id: filemView
            objectName: "filemView"
            anchors.fill: parent
            visible: root.markTab
            showHistory: root.showFilmHistory
            videoOutputX: Math.floor(viewfinder.contentRect.x)
            videoOutputY: Math.floor(viewfinder.contentRect.y)
            videoOutputWidth: Math.floor(viewfinder.contentRect.width)
            videoOutputHeight: Math.floor(viewfinder.contentRect.height)
        }

        Image {
            id: checkCameraFrame
            objectName: "checkCameraFrame"
            anchors.centerIn: parent
            visible: !root.qmlSource
            source: visible ? app.framePath : ""
            rotation: root.checkRotation
            width: root.checkRotation === 0 ? root.width - 150 : root.height
            height: root.checkRotation === 0 ? root.height : root.width - 150
            sourceSize.width: Math.max(1, Math.floor(width))
            sourceSize.height: Math.max(1, Math.floor(height))
            fillMode: Image.PreserveAspectFit
            cache: false
            Accessible.ignored: true
        }

        Label {
            objectName: "fpsText"
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.rightMargin: 20
            anchors.topMargin: 20
            visible: !root.qmlSource
            text: "fps: " + app.fps
            color: "white"
            font.pointSize: 12
        }

        LostLabelView {
            objectName: "lostLabelView"
            anchors.centerIn: parent
            visible: !root.markTab && app.showLostLabelView
            rotation: -90
            imageW: app.imageWidth
            imageH: app.imageHeight
            width: root.qmlSource
                   ? (root.checkRotation === 0 ? viewfinder.contentRect.height * zoomScale.xScale
                                               : viewfinder.contentRect.width * zoomScale.yScale)
                   : (root.checkRotation === 0 ? checkCameraFrame.paintedHeight * checkCameraFrame.scale
                                               : checkCameraFrame.paintedWidth * checkCameraFrame.scale)
            height: root.qmlSource
                    ? (root.checkRotation === 0 ? viewfinder.contentRect.width * zoomScale.yScale
                                                : viewfinder.contentRect.height * zoomScale.xScale)
                    : (root.checkRotation === 0 ? checkCameraFrame.paintedWidth * checkCameraFrame.scale
                                                : checkCameraFrame.paintedHeight * checkCameraFrame.scale)
        }

        CameraLegend {
            objectName: "legend"
            x: 20
            y: 50
            visible: !root.markTab
            lineWidth: root.lineWidth
            toolTipDelay: root.toolTipDelay
            toolTipTimeOut: root.toolTipTimeOut
        }

        VideoToolBar {
            id: video_tool_bar
            objectName: "video_tool_bar"
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.rightMargin: 3
            anchors.bottomMargin: 3
            width: 40
            height: 80
        }

        Row {
            id: row_cameras
            objectName: "row_cameras"
            x: 10
            y: 5
            visible: config.enableDetection
            Repeater {
                model: [qsTr("巡边"), qsTr("检测")]
                delegate: Rectangle {
                    required property int index
                    required property string modelData
                    objectName: "cameraTab" + index
                    width: 50
                    height: 30
                    color: root.markTab
                           ? (config.showCamera === index ? Qt.rgba(0, 0, 0, 0.9)
                                                          : (tabArea.containsMouse ? Qt.rgba(0, 0, 0, 0.6) : Qt.rgba(0, 0, 0, 0.4)))
                           : (config.showCamera === index ? Qt.rgba(0.9, 0.9, 0.9, 1)
                                                          : (tabArea.containsMouse ? Theme.entryHoverColor : Theme.entryColor))
                    Accessible.role: Accessible.PageTab
                    Accessible.name: modelData
                    Accessible.onPressAction: root.showTab(index)
                    Label {
                        anchors.centerIn: parent
                        text: parent.modelData
                        color: root.markTab ? "white" : "black"
                    }
                    MouseArea {
                        id: tabArea
                        anchors.fill: parent
                        hoverEnabled: true
                        onPressed: root.showTab(parent.index)
                    }
                }
            }
        }

        CameraPicker {
            id: rect_current_camera
            objectName: "rect_current_camera"
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.rightMargin: 3
            anchors.topMargin: 3
            visible: root.qmlSource
            camera: root.camera
            session: root.cs
            textColor: root.markTab ? "black" : "white"
        }
    }

    function showTab(index) {
        if (config.showCamera !== index)
            config.showCamera = index
    }
}
