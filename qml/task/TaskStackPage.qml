import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import Dravolinte2024
import ORUN_Config

// The task tab: the header with back, play/pause/resume and stop, and either
// the no-cut speed or the copies done with their presets; below it the
// stack of pages that starts at the task page. It holds the program's one
// QML camera object ("DravolinteCamera", which the application wires to its
// capture requests) and shows every error of the driver in error_popup.
Rectangle {
    id: root
    objectName: "TaskStackPage"

    property alias camera: r_camera
    property alias cut_copies: task_copies_cut.text
    property alias print_copies: task_copies_print.text
    property string error_message: device.errorMessage

    readonly property color green: Qt.rgba(0.1, 0.9, 0.1, 0.8)
    readonly property color blue: Qt.rgba(0.1, 0.1, 0.9, 0.8)
    readonly property bool taskPaused: app.taskStatus === TaskStatus.Paused
    readonly property bool taskRunning: app.taskStatus === TaskStatus.Running

    // Opens the page the task page asks for; any other word does nothing.
    function open(p1) {
        const pages = { "cut_file": cut_file_page, "print_file": print_file_page,
                        "video": video_page, "device": device_page }
        if (pages[p1] !== undefined)
            stack_view.push(pages[p1])
    }
    function back() {
        if (stack_view.depth <= 1)
            return
        stack_view.pop()
        if (stack_view.currentItem && stack_view.currentItem.objectName === "task_page")
            stack_view.currentItem.resetvideo()
    }
    function play() {
        if (taskPaused)
            app.resumeTask(false)
        else if (taskRunning)
            app.pauseTask(false)
        else
            task_popup.open()
    }
    // The file the hidden dialog accepted, as the cut file or the print file.
    function takeFile(url) {
        const path = app.localPath(url)
        if (path === "") {
            console.info("TaskStackPage: not a local file:", url)
            return
        }
        if (fileDialog.cut_file)
            app.cutFile = path
        else
            app.printFile = path
    }
    function chooseFile(cut) {
        fileDialog.cut_file = cut
        fileDialog.open()
    }

    onError_messageChanged: {
        if (error_message !== "") {
            error_popup.text = error_message
            error_popup.open()
        }
    }

    MessagePopup {
        id: error_popup
        objectName: "error_popup"
        clearsError: true
    }

    RCamera {
        id: r_camera
        objectName: "DravolinteCamera"
    }

    StackView {
        id: stack_view
        objectName: "stack_view"
        anchors.fill: parent
        anchors.topMargin: 40
        anchors.bottomMargin: 40
        Component.onCompleted: push(task_page)
    }

    Component {
        id: task_page
        TaskPage {
            objectName: "task_page"
            camera: r_camera
            onSubmit: function(p1, p2) { root.open(p1) }
        }
    }
    Component {
        id: cut_file_page
        CutFilePage {
            id: cutPage
            objectName: "cut_file_page"
            // Its cut view is a native window, drawn above the popups.
            function followPopups() {
                showWindow(visible && !error_popup.visible && !task_popup.visible)
            }
            Connections {
                target: task_popup
                function onOpened() { cutPage.showWindow(false) }
                function onClosed() { cutPage.followPopups() }
            }
            Connections {
                target: error_popup
                function onOpened() { cutPage.showWindow(false) }
                function onClosed() { cutPage.followPopups() }
            }
        }
    }
    Component {
        id: print_file_page
        PrintFilePage {
            objectName: "print_file_page"
        }
    }
    Component {
        id: video_page
        VideoPage {
            objectName: "video_page"
            camera: r_camera
        }
    }
    Component {
        id: device_page
        DevicePage {
            objectName: "device_page"
        }
    }

    TaskStartPopup {
        id: task_popup
        objectName: "task_popup"
    }

    HeaderButton {
        id: backButton
        objectName: "backButton"
        anchors.left: parent.left
        anchors.leftMargin: 10
        visible: stack_view.depth > 1
        text: "\uf04a"
        fontSize: 25
        iconColor: Qt.rgba(0.35, 0.35, 0.35, 1)
        Accessible.name: qsTr("返回")
        onClicked: root.back()
    }
    HeaderButton {
        objectName: "playButton"
        anchors.right: parent.right
        anchors.rightMargin: 85
        text: root.taskPaused ? "\uf144" : (root.taskRunning ? "\uf04c" : "\uf04b")
        iconColor: root.taskPaused ? Qt.rgba(0.1, 0.8, 0.1, 1) : (root.taskRunning ? Qt.rgba(0.8, 0.8, 0, 1) : Qt.rgba(0, 0.85, 0, 1))
        Accessible.name: root.taskPaused ? qsTr("继续") : (root.taskRunning ? qsTr("暂停") : qsTr("开始"))
        onClicked: root.play()
    }
    HeaderButton {
        objectName: "stopButton"
        anchors.right: parent.right
        anchors.rightMargin: 20
        text: "\uf04d"
        iconColor: Theme.alarmColor
        Accessible.name: qsTr("停止")
        onClicked: app.stopTask(false)
    }

    FileDialog {
        id: fileDialog
        objectName: "fileDialog"
        property bool cut_file: true
        title: cut_file ? qsTr("选择切割文件") : qsTr("选择打印文件")
        // Patterns apart and in both cases: the dialog matches each as written.
        nameFilters: cut_file ? [qsTr("切割文件 (*.plt *.PLT *.svg *.SVG)")] : [qsTr("打印文件 (*.pdf *.PDF)")]
        onAccepted: root.takeFile(selectedFile)
    }

    Row {
        objectName: "header"
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.verticalCenter: backButton.verticalCenter
        spacing: 5

        HeaderLabel {
            text: qsTr("速度")
            color: root.green
            visible: !config.enableCut
        }
        NuSpinBox {
            id: cutSpeedSpinBox
            objectName: "cutSpeedSpinBox"
            width: 120
            height: Theme.rowHeight
            visible: !config.enableCut
            decimals: 0
            min: 10
            max: 250
            value: decimalToInt(Number(config.getProperty(ORUN_Config.CPT_NO_CUT_SPEED)))
            Accessible.name: qsTr("速度")
            onValueModified: {
                config.setProperty(ORUN_Config.CPT_NO_CUT_SPEED, real_value)
                device.wSpeed(real_value)
            }
            Connections {
                target: config
                function onPropertyChanged(key, val) {
                    if (key === ORUN_Config.CPT_NO_CUT_SPEED)
                        cutSpeedSpinBox.value = cutSpeedSpinBox.decimalToInt(Number(val))
                }
            }
        }
        HeaderLabel {
            text: qsTr("mm/s")
            color: root.green
            visible: !config.enableCut
        }
        HeaderLabel {
            objectName: "cutCopiesLabel"
            text: qsTr("切割份数")
            color: root.green
            visible: config.enableCut
            MouseArea {
                anchors.fill: parent
                onDoubleClicked: root.chooseFile(true)
            }
        }
        CountLabel {
            objectName: "cutCopiesText"
            text: app.cutCopies
            visible: config.enableCut
        }
        HeaderLabel {
            text: qsTr("预设份数")
            color: root.blue
            visible: config.enableCut
        }
        TaskCopies {
            id: task_copies_cut
            objectName: "task_copies_cut"
            width: 120
            height: Theme.rowHeight
            text: "100"
            visible: config.enableCut
            onTextChanged: app.cutTaskCopies = preset()
        }
        Item {
            width: 50
            height: Theme.rowHeight
        }
        HeaderLabel {
            objectName: "printCopiesLabel"
            text: qsTr("打印份数")
            color: root.green
            visible: config.enablePrint
            font.pointSize: printLabelArea.containsMouse ? 14 : 13
            MouseArea {
                id: printLabelArea
                anchors.fill: parent
                hoverEnabled: true
                onDoubleClicked: root.chooseFile(false)
            }
        }
        CountLabel {
            objectName: "printCopiesText"
            text: app.printCopies
            visible: config.enablePrint
        }
        HeaderLabel {
            text: qsTr("预设份数")
            color: root.blue
            visible: config.enablePrint
        }
        TaskCopies {
            id: task_copies_print
            objectName: "task_copies_print"
            width: 120
            height: Theme.rowHeight
            text: "100"
            visible: config.enablePrint
            onTextChanged: app.printTaskCopies = preset()
        }
    }

    component HeaderLabel: Label {
        height: Theme.rowHeight
        font.bold: true
        font.pointSize: 13
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    component CountLabel: Label {
        width: 120
        height: Theme.rowHeight
        font.pointSize: Theme.labelSize
        color: Theme.labelColor
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    // A glyph of the icon font on a 30 x 30 button, grey under the pointer.
    component HeaderButton: Rectangle {
        id: button

        property string text
        property int fontSize: 22
        property color iconColor: "black"

        signal clicked()

        y: 5
        width: 30
        height: 30
        radius: 3
        color: area.containsMouse ? Theme.iconHoverColor : "transparent"
        Accessible.role: Accessible.Button
        Accessible.onPressAction: button.clicked()

        Text {
            anchors.centerIn: parent
            text: button.text
            font.family: "OrunFont"
            font.pointSize: button.fontSize
            color: button.iconColor
        }
        MouseArea {
            id: area
            anchors.fill: parent
            hoverEnabled: true
            onClicked: button.clicked()
        }
    }
}
