import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import QtMultimedia
import CameraSupport

// Snapshot and recording of the shown camera, into folder (the program's
// folder until the operator picks another with a long press). A shot is
// named by the time to the second; a second shot within the same second gets
// a number rather than overwriting the first. A shot or recording that
// fails is logged and shown in the error popup (device.errorMessage).
Rectangle {
    id: control

    property string folder: app.appPath()
    property ImageCapture capture
    // The requests of the same image capture: a snapshot waits its turn there.
    property SessionCapture shots
    property MediaRecorder recorder
    readonly property bool recording: recorder !== null && recorder.recorderState === MediaRecorder.RecordingState
    // The request number of the last snapshot to file, whose failure is reported.
    property int shotId: -1

    color: "transparent"

    function report(text) {
        console.info("VideoToolBar:", text)
        device.errorMessage = text
    }
    // The next free name in folder, or empty (reported) when it cannot be written.
    function nextName() {
        const name = files.freeName(folder, app.currentDateTimeString())
        if (name === "")
            report(qsTr("无法写入文件夹: ") + folder)
        return name
    }
    function snapshot() {
        const name = nextName()
        if (name === "")
            return
        if (!config.usedQMLCamera) {
            if (!app.saveFrame(name))
                report(qsTr("拍照失败: ") + name)
            return
        }
        if (!capture || !shots) {
            report(qsTr("拍照失败: 没有摄像头"))
            return
        }
        const id = shots.toFile(name)
        if (id === -2)
            report(qsTr("拍照失败: ") + qsTr("摄像头忙"))
        else if (id < 0)
            report(qsTr("拍照失败: ") + capture.errorString)
        else
            shotId = id
    }
    function toggleRecording() {
        if (!recorder) {
            report(qsTr("录像失败: 没有摄像头"))
            return
        }
        if (recording) {
            recorder.stop()
            return
        }
        const name = nextName()
        if (name === "")
            return
        recorder.outputLocation = app.fileUrl(name)
        recorder.record()
    }
    function chooseFolder() {
        folderDialog.currentFolder = app.fileUrl(folder)
        folderDialog.open()
    }
    function takeFolder(url) {
        const path = app.localPath(url)
        if (path === "") {
            console.info("VideoToolBar: not a local folder:", url)
            return
        }
        folder = path
    }

    Connections {
        target: control.capture
        function onErrorOccurred(requestId, error, message) {
            if (requestId >= 0 && requestId === control.shotId)
                control.report(qsTr("拍照失败: ") + message)
        }
    }
    Connections {
        target: control.recorder
        function onErrorOccurred(error, message) {
            control.report(qsTr("录像失败: ") + message)
        }
    }

    ShotFiles {
        id: files
    }

    ToolButton {
        id: rect_capture
        objectName: "rect_capture"
        anchors.top: parent.top
        anchors.left: parent.left
        width: control.width
        height: control.height * 0.48
        Accessible.name: qsTr("拍照")
        onActivated: control.snapshot()
        onHeld: control.chooseFolder()

        Text {
            anchors.centerIn: parent
            text: "\uf030"
            font.family: "OrunFont"
            font.pointSize: 18
            color: Qt.rgba(0.8, 0.8, 0.8, 1)
        }
    }

    ToolButton {
        id: rect_record
        objectName: "rect_record"
        anchors.bottom: parent.bottom
        anchors.left: parent.left
        width: control.width
        height: control.height * 0.48
        visible: config.usedQMLCamera
        Accessible.name: control.recording ? qsTr("停止录像") : qsTr("录像")
        onActivated: control.toggleRecording()
        onHeld: control.chooseFolder()

        Rectangle {
            objectName: "recordDot"
            anchors.centerIn: parent
            width: 16
            height: 16
            radius: 8
            color: control.recording ? Qt.rgba(1, 0, 0, 1) : Qt.rgba(0, 1, 0, 1)
        }
    }

    FolderDialog {
        id: folderDialog
        objectName: "folderDialog"
        title: qsTr("选择文件夹")
        onAccepted: control.takeFolder(selectedFolder)
    }

    // A click acts; a press held opens the folder dialog instead.
    component ToolButton: Rectangle {
        id: button

        signal activated()
        signal held()

        border.width: 1
        radius: 4
        color: area.pressed ? Qt.rgba(0.5, 0.5, 0.5, 0.5)
                            : (area.containsMouse ? Qt.rgba(0.7, 0.7, 0.7, 0.7) : Qt.rgba(0.8, 0.8, 0.8, 0.5))
        Accessible.role: Accessible.Button
        Accessible.onPressAction: button.activated()

        MouseArea {
            id: area
            anchors.fill: parent
            hoverEnabled: true
            onClicked: button.activated()
            onPressAndHold: button.held()
        }
    }
}
