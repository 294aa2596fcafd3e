import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import Dravolinte2024
import QuickItemWidget

// The cut side of a job: the application's cut view on the left, hosted as
// a native widget that only shows (it takes no input); on the right the cut
// file, the export of the selected paths and automatic sorting.
Item {
    id: control

    // The hosted view is a native window, drawn above QML popups: the task
    // tab hides it while one of its popups is open.
    function showWindow(show) {
        cutGraphicsView.visible = show
    }
    function pathOf(url) {
        const path = app.localPath(url)
        if (path === "")
            console.info("CutFilePage: not a local file:", url)
        return path
    }

    Rectangle {
        id: left_panel
        objectName: "left_panel"
        anchors.left: parent.left
        width: control.width - right_panel.width
        height: control.height
        color: "#A0A0A4"

        QuickItemWidget {
            id: cutGraphicsView
            objectName: "cutGraphicsView"
            anchors.fill: parent
            enabled: false
            widget: app.getCutGraphicsView()
        }
    }

    Rectangle {
        id: right_panel
        objectName: "right_panel"
        anchors.right: parent.right
        width: 350
        height: control.height
        color: "white"

        Label {
            id: title
            width: 100
            height: 50
            text: qsTr("切割文件")
            font.bold: true
            font.pointSize: Theme.titleSize
            color: Theme.accent
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }

        Column {
            anchors.top: title.bottom
            anchors.bottom: parent.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.margins: 5
            spacing: 20

            Rectangle {
                width: parent.width
                height: 1
                color: Theme.ruleColor
            }
            Row {
                spacing: 10
                RowLabel { horizontalAlignment: Text.AlignRight; text: qsTr("文件"); width: right_panel.width * 0.2 }
                PathButton {
                    objectName: "btn_file"
                    width: right_panel.width * 0.7
                    text: app.cutFile
                    Accessible.name: qsTr("文件")
                    onClicked: fileDialog.open()
                }
            }
            Row {
                spacing: 10
                RowLabel { horizontalAlignment: Text.AlignRight; text: qsTr("导出"); width: right_panel.width * 0.2 }
                PathButton {
                    objectName: "btn_export"
                    width: right_panel.width * 0.7
                    text: app.saveFile
                    Accessible.name: qsTr("导出")
                    onClicked: saveDlg.open()
                }
            }
            Row {
                spacing: 10
                RowLabel { horizontalAlignment: Text.AlignRight; text: qsTr("自动排序"); width: right_panel.width * 0.3 }
                Switch {
                    id: sortSwitch
                    objectName: "sortSwitch"
                    height: Theme.rowHeight
                    enabled: config.enableSort
                    checked: config.autoSort
                    text: qsTr("关")
                    Accessible.name: qsTr("自动排序")
                    onCheckedChanged: {
                        if (checked !== config.autoSort) {
                            config.autoSort = checked
                            // No scene to sort: the switch shows the store's state again.
                            if (checked !== config.autoSort)
                                checked = Qt.binding(function() { return config.autoSort })
                        }
                        text = checked ? qsTr("开") : qsTr("关")
                    }
                    Component.onCompleted: text = checked ? qsTr("开") : qsTr("关")
                }
                Label {
                    objectName: "sortDisabled"
                    height: Theme.rowHeight
                    visible: !config.enableSort
                    text: qsTr("禁用排序")
                    font.pointSize: Theme.labelSize
                    color: Qt.rgba(1, 0, 0, 0.8)
                    verticalAlignment: Text.AlignVCenter
                }
            }
        }
    }

    FileDialog {
        id: fileDialog
        objectName: "fileDialog"
        title: qsTr("选择切割文件")
        nameFilters: [qsTr("切割文件 (*.tqc *.TQC *.plt *.PLT)")]
        onAccepted: {
            const path = control.pathOf(selectedFile)
            if (path !== "")
                app.cutFile = path
        }
    }
    FileDialog {
        id: saveDlg
        objectName: "saveDlg"
        fileMode: FileDialog.SaveFile
        title: qsTr("保存文件")
        nameFilters: [qsTr("保存文件 (*.plt *.PLT)")]
        onAccepted: {
            const path = control.pathOf(selectedFile)
            if (path !== "")
                app.saveFile = path
        }
    }
}
