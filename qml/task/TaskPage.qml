import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import QtQuick.Layouts
import PltQuickView
import Dravolinte2024
import ORUN_Config

// The task at a glance, two by two: the cut drawing, the print preview, the
// camera and the machine. A double click on a panel asks for its page
// (submit); a press held 400 ms on the cut or print panel opens its file
// dialog at once.
Rectangle {
    id: control

    property RCamera camera

    signal submit(var p1, var p2)

    function resetvideo() {
        if (camera && video_loader.item)
            video_loader.item.setCs(camera.currCS)
    }
    // The print dialog's filter: TIF pictures too on a 7x4 with the RIP's input.
    function printFilter() {
        const riin = config.getProperty(ORUN_Config.CPT_Enable_RIIN_Input)
        const tif = config.version === ORUN_Config.VT_7x4 && (riin === true || riin === "true")
        return tif ? "Print files (*.pdf *.PDF *.tqc *.TQC *.tif *.TIF)" : "Print files (*.pdf *.PDF *.tqc *.TQC)"
    }
    function openPrintDialog() {
        pdf_dlg.nameFilters = [printFilter()]
        if (config.enablePrint)
            pdf_dlg.open()
    }
    function takeFile(url, cut) {
        const path = app.localPath(url)
        if (path === "") {
            console.info("TaskPage: not a local file:", url)
            return
        }
        if (cut)
            app.cutFile = path
        else
            app.printFile = path
    }

    color: Qt.rgba(0, 0, 0, 1)

    FileDialog {
        id: plt_dlg
        objectName: "plt_dlg"
        title: "Open a Cut file"
        nameFilters: ["Cut files (*.plt *.PLT *.tqc *.TQC)"]
        onAccepted: control.takeFile(selectedFile, true)
    }
    FileDialog {
        id: pdf_dlg
        objectName: "pdf_dlg"
        title: "Open a Print file"
        nameFilters: ["Print files (*.pdf *.PDF *.tqc *.TQC)"]
        onAccepted: control.takeFile(selectedFile, false)
    }

    GridLayout {
        id: grid
        objectName: "grid"
        anchors.fill: parent
        columns: 2
        columnSpacing: 1
        rowSpacing: 1

        Rectangle {
            id: cut_file
            objectName: "cut_file"
            Layout.preferredWidth: (grid.width - 1) / 2
            Layout.preferredHeight: (grid.height - 1) / 2
            Layout.row: 0
            Layout.column: 0
            Layout.fillWidth: true
            Layout.fillHeight: true
            color: "white"

            PltQuickView {
                objectName: "pltview"
                anchors.fill: parent
                file: app.cutShowFile
            }
            HintLabel {
                visible: app.cutShowFile === ""
                text: qsTr("长按打开切割文件 ") + "\n  " + qsTr("双击设置更多")
            }
            MouseArea {
                objectName: "cutArea"
                anchors.fill: parent
                pressAndHoldInterval: 400
                onDoubleClicked: control.submit("cut_file", "")
                onPressAndHold: plt_dlg.open()
            }
        }

        Rectangle {
            id: print_file
            objectName: "print_file"
            Layout.preferredWidth: (grid.width - 1) / 2
            Layout.preferredHeight: (grid.height - 1) / 2
            Layout.row: 0
            Layout.column: 1
            Layout.fillWidth: true
            Layout.fillHeight: true
            visible: config.enablePrint
            color: "white"

            HintLabel {
                visible: app.printFile === ""
                text: qsTr("长按打开打印文件 ") + "\n  " + qsTr("双击设置更多")
            }
            Image {
                id: print_pdf_view
                objectName: "print_pdf_view"
                anchors.fill: parent
                visible: app.printFile !== ""
                source: visible ? app.printImgPath : ""
                sourceSize.width: Math.max(1, Math.floor(print_file.width))
                sourceSize.height: Math.max(1, Math.floor(print_file.height))
                fillMode: Image.PreserveAspectFit
                asynchronous: true
                Accessible.ignored: true
            }
            MouseArea {
                objectName: "printArea"
                anchors.fill: parent
                pressAndHoldInterval: 400
                onDoubleClicked: {
                    if (config.enablePrint)
                        control.submit("print_file", "")
                }
                onPressAndHold: control.openPrintDialog()
            }
        }

        Item {
            objectName: "camera_panel"
            Layout.preferredWidth: (grid.width - 1) / 2
            Layout.preferredHeight: (grid.height - 1) / 2
            Layout.row: 1
            Layout.column: 0
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true

            // Beneath the view: its tabs, camera list and toolbar take their own presses.
            MouseArea {
                objectName: "videoArea"
                anchors.fill: parent
                onDoubleClicked: control.submit("video", "")
            }
            // The view and its video bring the multimedia backend up: after
            // the first frame, on the background the view will show.
            Rectangle {
                anchors.fill: parent
                color: config.showCamera === 0 ? "white" : "black"
            }
            DeferredLoader {
                id: video_loader
                anchors.fill: parent
                sourceComponent: CameraView {
                    objectName: "video"
                    camera: control.camera
                    cs: control.camera ? control.camera.currCS : null
                }
            }
        }

        Item {
            objectName: "machine_panel"
            Layout.preferredWidth: (grid.width - 1) / 2
            Layout.preferredHeight: config.enablePrint ? (grid.height - 1) / 2 : grid.height
            Layout.row: config.enablePrint ? 1 : 0
            Layout.column: 1
            Layout.rowSpan: config.enablePrint ? 1 : 2
            Layout.fillWidth: true
            Layout.fillHeight: true

            // Beneath the frame: its rewind button takes its own presses.
            MouseArea {
                objectName: "deviceCell"
                anchors.fill: parent
                onDoubleClicked: control.submit("device", "")
            }
            DeviceFrame {
                objectName: "taskDeviceFrame"
                anchors.fill: parent
                color: "white"
            }
        }
    }

    component HintLabel: Label {
        anchors.centerIn: parent
        font.pointSize: 16
        color: Qt.rgba(0.3, 0.3, 0.3, 1)
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
}
