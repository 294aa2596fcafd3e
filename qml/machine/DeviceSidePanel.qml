import QtQuick
import QtQuick.Controls
import Dravolinte2024
import ORUN_Config

// The right-hand column of the home page: the controller chooser, today's
// and all-time counters, the settings, the language and the update. What
// would reach a running task waits for it to end; the page shows why.
Rectangle {
    id: right_panel

    signal tipRequested(string tip)
    signal settingsRequested()

    // Another controller drops the link of the task, running or paused, and
    // an update ends the program. Settings are refused only while a task
    // runs; paused or stopped, the settings popup opens.
    function refusedUnless(allowed) {
        if (allowed)
            return false
        tipRequested(qsTr("任务运行中不可设置"))
        return true
    }
    function refusedMidTask() {
        return refusedUnless(app.taskStatus === TaskStatus.Stopped)
    }
    function choose(name) {
        popup.close()
        if (refusedMidTask())
            return
        device.ident = name
        config.ident = name
    }
    function checkUpdate() {
        if (refusedMidTask())
            return
        if (device.upgrading) {
            tipRequested(qsTr("请等待升级结束"))
            return
        }
        app.checkUpdate()
    }

    width: 400
    color: Qt.rgba(0.3, 0.1, 0.1, 0.1)

    ScrollView {
        objectName: "sideScroll"
        width: right_panel.width - 10
        height: right_panel.height - 10
        clip: true

        Column {
            id: column
            x: 50
            y: 20
            width: 300
            spacing: 10

            Button {
                id: btn_dev
                objectName: "btn_dev"
                width: 300
                height: 35
                text: device.ident
                font.pointSize: Theme.titleSize
                font.bold: true
                contentItem: Text {
                    id: btn_text
                    text: btn_dev.text
                    font: btn_dev.font
                    elide: Text.ElideRight
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                }
                background: Rectangle {
                    color: "white"
                    border.width: 1
                    border.color: Qt.rgba(0.5, 0.5, 0.5, 1)
                    radius: 4
                }
                Accessible.name: qsTr("选择设备")
                Accessible.description: device.ident
                onClicked: {
                    popup.devices = app.onlineDevices()
                    if (popup.visible)
                        popup.close()
                    else
                        popup.open()
                }

                Popup {
                    id: popup
                    objectName: "popup"
                    property var devices
                    x: 0
                    y: btn_dev.height + 1
                    width: btn_dev.width
                    // A long list scrolls within the panel.
                    height: Math.min(list.contentHeight, Math.max(30, right_panel.height - btn_dev.height - 60)) + 4
                    padding: 0
                    modal: false
                    focus: true
                    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent
                    background: Rectangle {
                        color: Qt.rgba(0.2, 0.2, 0.2, 1)
                        radius: 2
                        border.width: 1
                        border.color: "black"
                    }
                    ListView {
                        id: list
                        objectName: "col"
                        anchors.fill: parent
                        anchors.margins: 2
                        clip: true
                        model: popup.devices
                        boundsBehavior: Flickable.StopAtBounds
                        ScrollBar.vertical: ScrollBar {}
                        delegate: Rectangle {
                            id: cmp
                            required property string modelData
                            objectName: "device_" + modelData
                            width: list.width
                            height: Theme.entryHeight
                            color: mouse_area.containsMouse ? Qt.rgba(0.5, 0.5, 0.5, 0.9) : Qt.rgba(0.75, 0.75, 0.75, 1)
                            Accessible.role: Accessible.ListItem
                            Accessible.name: modelData
                            Accessible.onPressAction: right_panel.choose(modelData)
                            Text {
                                anchors.fill: parent
                                text: cmp.modelData
                                elide: Text.ElideRight
                                horizontalAlignment: Text.AlignHCenter
                                verticalAlignment: Text.AlignVCenter
                            }
                            MouseArea {
                                id: mouse_area
                                anchors.fill: parent
                                hoverEnabled: true
                                onPressed: right_panel.choose(cmp.modelData)
                            }
                        }
                    }
                }
            }

            Section { title: qsTr("今日工作") }
            Counters {
                objectName: "todayCounters"
                cut: config.todayCut
                printed: config.todayPrint
                scans: config.todayScanMark
                scansOk: config.todayScanMarkOk
            }

            Section { title: qsTr("累计工作") }
            Counters {
                objectName: "totalCounters"
                cut: config.totalCut
                printed: config.totalPrint
                scans: config.totalScanMark
                scansOk: config.totalScanMarkOk
            }

            Section { title: qsTr("设置") }
            PanelButton {
                objectName: "settingButton"
                anchors.right: parent.right
                anchors.rightMargin: 10
                width: 70
                text: qsTr("设置")
                onClicked: {
                    if (!right_panel.refusedUnless(app.taskStatus !== TaskStatus.Running))
                        right_panel.settingsRequested()
                }
            }

            Section { title: "语言 / Language" }
            Item {
                width: 300
                height: 35
                LanguageComboBox {
                    objectName: "languageBox"
                    anchors.right: parent.right
                    anchors.rightMargin: 10
                    width: 100
                    height: 35
                    mod: config.language
                    onModModfiy: config.language = mod
                }
            }

            Section { title: qsTr("更新") }
            Column {
                x: 5
                spacing: 10
                PanelText {
                    objectName: "buildDate"
                    text: qsTr("生成日期 ：") + app.buildDate()
                }
                PanelText {
                    objectName: "versionText"
                    text: qsTr("版本 ：") + "Dravolinte 2024 V" + app.version
                }
            }
            Row {
                anchors.right: parent.right
                anchors.rightMargin: 10
                spacing: 10
                PanelButton {
                    objectName: "checkButton"
                    width: 100
                    text: qsTr("检查更新")
                    onClicked: right_panel.checkUpdate()
                }
                OrunIconButton {
                    objectName: "aboutButton"
                    anchors.verticalCenter: parent.verticalCenter
                    text: "\uf059"
                    fontSize: 18
                    iconColor: Qt.rgba(0.3, 0.3, 0.3, 1)
                    toolTips: qsTr("关于")
                    iconPadding: 4
                    onClicked: {
                        aboutPop.text = qsTr("Dravolinte 2024 标签后处理机控制程序") + "\nV" + app.version
                        aboutPop.visible = true
                    }
                    MessagePopup {
                        id: aboutPop
                        objectName: "aboutPop"
                        width: 600
                        height: 200
                        textFontBold: false
                        showIcon: true
                    }
                }
            }
            Item {
                width: column.width
                height: 100
            }
        }
    }

    // Spacer, header and rule that open every section after the chooser.
    component Section: Column {
        property string title
        spacing: 10
        Item {
            width: 10
            height: 10
        }
        Label {
            x: 10
            text: parent.title
            font.pointSize: Theme.titleSize
            font.bold: true
            color: Theme.accent
        }
        Rectangle {
            width: 300
            height: 1
            color: Theme.ruleColor
        }
    }
    component PanelText: Label {
        font.pointSize: Theme.detailSize
        color: Theme.detailColor
    }
    component Counters: Column {
        property real cut
        property real printed
        property var scans
        property var scansOk
        x: 5
        spacing: 10
        PanelText { objectName: "cutText"; text: qsTr("切割 ： ") + parent.cut.toFixed(2) + " m" }
        PanelText { objectName: "printText"; text: qsTr("打印 ：") + parent.printed.toFixed(2) + " m" }
        PanelText { objectName: "scanText"; text: qsTr("扫点 ： ") + parent.scans + qsTr(" 成功 ") + parent.scansOk }
    }
    component PanelButton: Button {
        height: Theme.rowHeight
        Accessible.name: text
        font.pointSize: Theme.controlSize
        contentItem: Text {
            text: parent.text
            font: parent.font
            color: Theme.detailColor
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
        background: Rectangle {
            border.width: 1
            border.color: Theme.boxBorderColor
            color: Theme.boxColor
            radius: 2
        }
    }
}
