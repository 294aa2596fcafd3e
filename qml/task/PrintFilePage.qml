import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import Dravolinte2024

// The print side of a job: the preview on the left; on the right the print
// file, the printer and its preferences, the print's cut file, the variable
// data and its record, the file's size and a test print. Everything shown
// lives in app and config.
Item {
    id: control

    // The path a dialog accepted, or empty (logged) when it named no local file.
    function pathOf(url) {
        const path = app.localPath(url)
        if (path === "")
            console.info("PrintFilePage: not a local file:", url)
        return path
    }

    Rectangle {
        id: left_panel
        objectName: "left_panel"
        anchors.left: parent.left
        width: control.width - right_panel.width
        height: control.height
        color: "white"
        border.width: 1
        border.color: "black"

        Image {
            id: print_view
            objectName: "print_view"
            anchors.fill: parent
            anchors.margins: 10
            source: app.printImgPath
            sourceSize.width: Math.max(1, Math.floor(width))
            sourceSize.height: Math.max(1, Math.floor(height))
            fillMode: Image.PreserveAspectFit
            asynchronous: true
            Accessible.ignored: true
        }
        Rectangle {
            objectName: "pageFrame"
            anchors.centerIn: print_view
            width: print_view.paintedWidth
            height: print_view.paintedHeight
            scale: print_view.scale
            color: "transparent"
            border.width: 1
            border.color: Qt.rgba(0.1, 0.1, 0.1, 1)
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
            text: qsTr("打印文件")
            font.bold: true
            font.pointSize: Theme.titleSize
            color: Theme.accent
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }

        Column {
            anchors.top: title.bottom
            anchors.bottom: tips.top
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
                spacing: 2
                RowLabel { text: qsTr("文件"); width: right_panel.width * 0.2 }
                PathButton {
                    id: btn_file
                    objectName: "btn_file"
                    width: right_panel.width * 0.76
                    text: app.printFile
                    Accessible.name: qsTr("文件")
                    onClicked: fileDialog.open()
                }
            }
            Row {
                spacing: 2
                RowLabel { text: qsTr("打印机"); width: right_panel.width * 0.2 }
                ComboBox {
                    id: cmb_printer
                    objectName: "cmb_printer"
                    // The row's spacing and the panel's margins come off the list.
                    width: right_panel.width * 0.55 - 14
                    height: Theme.rowHeight
                    font.pointSize: Theme.controlSize
                    indicator: null
                    model: app.printersName()
                    currentIndex: -1
                    Accessible.name: qsTr("打印机")
                    property bool ready: false
                    onCurrentIndexChanged: {
                        if (ready && currentIndex >= 0)
                            config.printerName = textAt(currentIndex)
                    }
                    Component.onCompleted: {
                        currentIndex = app.printersName().indexOf(config.printerName)
                        ready = true
                    }
                }
                Button {
                    id: btn_printer
                    objectName: "btn_printer"
                    width: right_panel.width * 0.25
                    height: Theme.rowHeight
                    font.pointSize: Theme.controlSize
                    text: qsTr("首选项")
                    onClicked: app.printerPreference(cmb_printer.displayText)
                }
            }
            Row {
                spacing: 2
                RowLabel { text: qsTr("切割文件"); width: right_panel.width * 0.2 }
                PathButton {
                    objectName: "btn_cut_file"
                    width: right_panel.width * 0.76
                    text: app.printCutFile
                    Accessible.name: qsTr("切割文件")
                    onClicked: cutDialog.open()
                }
            }
            Row {
                spacing: 2
                visible: app.enabledDataSource
                RowLabel { text: qsTr("可变数据源"); width: right_panel.width * 0.3 }
                PathButton {
                    objectName: "btn_data_source"
                    width: right_panel.width * 0.66
                    text: app.dataSource
                    Accessible.name: qsTr("可变数据源")
                    onClicked: excelDialog.open()
                }
            }
            Row {
                spacing: 2
                visible: app.enabledDataSource
                RowLabel { text: qsTr("可变数据序号"); width: right_panel.width * 0.3 }
                SpinBox {
                    objectName: "dataIndexBox"
                    width: right_panel.width * 0.4
                    height: Theme.rowHeight
                    font.pointSize: Theme.controlSize
                    from: 1
                    to: 999999
                    stepSize: 1
                    editable: false
                    value: app.dataIndex
                    textFromValue: function(value) { return String(value) }
                    Accessible.name: qsTr("可变数据序号")
                    onValueModified: {
                        if (value !== app.dataIndex)
                            app.dataIndex = value
                    }
                }
            }
        }

        Rectangle {
            id: tips
            objectName: "tips"
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.margins: 15
            anchors.bottom: btn_test_print.top
            anchors.bottomMargin: 15
            height: 60
            radius: 10
            color: Qt.rgba(0.2, 0, 0, 0.3)
            Label {
                id: tips_text
                objectName: "tips_text"
                x: 10
                y: 10
                text: app.printTip
                font.pointSize: 9
                color: Qt.rgba(1, 1, 1, 0.9)
            }
        }

        Button {
            id: btn_test_print
            objectName: "btn_test_print"
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 10
            width: tips.width
            height: 40
            text: qsTr("测试打印")
            onClicked: app.printPdfFile(btn_file.text, cmb_printer.displayText)
        }
    }

    FileDialog {
        id: fileDialog
        objectName: "fileDialog"
        title: qsTr("选择打印文件")
        nameFilters: [qsTr("打印文件 (*.pdf *.PDF)")]
        onAccepted: {
            const path = control.pathOf(selectedFile)
            if (path === "")
                return
            app.printFile = path
            app.enabledDataSource = false
        }
    }
    FileDialog {
        id: cutDialog
        objectName: "cutDialog"
        title: qsTr("选择打印文件的切割文件")
        nameFilters: [qsTr("切割文件 (*.tqc *.TQC *.plt *.PLT)")]
        onAccepted: {
            const path = control.pathOf(selectedFile)
            if (path !== "")
                app.printCutFile = path
        }
    }
    FileDialog {
        id: excelDialog
        objectName: "excelDialog"
        title: qsTr("选择数据源")
        nameFilters: [qsTr("Excel文件 (*.xlsx *.XLSX)")]
        onAccepted: {
            const path = control.pathOf(selectedFile)
            if (path !== "")
                app.dataSource = path
        }
    }
}
