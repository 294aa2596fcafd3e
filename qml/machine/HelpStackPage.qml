import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import Dravolinte2024
import ORUN_Config

// The firmware update of one module of the controller: pick the module and
// the file, send it, follow the progress the controller reports. The update
// itself is the driver's; one transfer at a time, none while a task exists.
Item {
    id: root

    // The bar and the percentage stay within 0 to 100 whatever is reported.
    readonly property real progress: Math.max(0, Math.min(100, device.updateProgress))

    implicitWidth: 640
    implicitHeight: 480

    Rectangle {
        id: helpSection
        objectName: "helpSection"
        width: root.width
        height: root.height * 0.65
        color: "#ffffff"

        Image {
            objectName: "logo"
            x: helpSection.width * 0.02
            y: helpSection.height * 0.04
            source: String(config.getProperty(ORUN_Config.CPT_UI_Logo))
            sourceSize.height: helpSection.height * 0.06
            Accessible.ignored: true
        }
        Item {
            y: helpSection.height * 0.1
            width: helpSection.width
            height: helpSection.height * 0.8
            MachinePicture {
                id: deviceLogo
                objectName: "deviceLogo"
                anchors.centerIn: parent
                sourceSize.height: parent.height * 1.2
            }
        }
    }

    Rectangle {
        id: updateSection
        objectName: "updateSection"
        anchors.bottom: parent.bottom
        width: root.width
        height: root.height * 0.35
        color: "#ede8e8"

        Label {
            x: updateSection.width * 0.03
            y: updateSection.height * 0.05
            text: qsTr("固件更新")
            font.pixelSize: 14
            font.bold: true
            color: "#0473D5"
        }

        Item {
            id: contentRect
            y: updateSection.height * 0.1
            width: updateSection.width
            height: updateSection.height * 0.9 - 40

            Row {
                id: row1
                objectName: "row1"
                anchors.horizontalCenter: parent.horizontalCenter
                width: contentRect.width * 0.88
                height: contentRect.height / 3
                PageText { text: qsTr("设备序列号:") }
                Item { width: 20; height: 1 }
                PageValue { objectName: "identText"; text: device.ident }
                Item { width: row1.width * 0.05; height: 1 }
                PageText { text: "IP:" }
                Item { width: 20; height: 1 }
                PageValue { objectName: "ipText"; text: device.ip }
            }

            Row {
                id: row2
                objectName: "row2"
                anchors.horizontalCenter: parent.horizontalCenter
                y: contentRect.height / 3
                width: contentRect.width * 0.88
                height: contentRect.height / 3
                spacing: 10

                PageText { text: qsTr("选择连接方式:") }
                ComboBox {
                    id: comboBoxApi
                    objectName: "comboBoxApi"
                    anchors.verticalCenter: parent.verticalCenter
                    width: row2.width * 0.12
                    height: 50
                    model: ["USB", "TCP"]
                    currentIndex: 1
                    Accessible.name: qsTr("选择连接方式:")
                    onCurrentIndexChanged: console.info(currentIndex === 1 ? "Selected TCP" : "Not TCP selected")
                }
                Item { width: row2.width * 0.05; height: 1 }
                PageText { text: qsTr("请选择升级模块:") }
                ComboBox {
                    id: comboBox
                    objectName: "comboBox"
                    anchors.verticalCenter: parent.verticalCenter
                    width: row2.width * 0.12
                    height: 50
                    textRole: "text"
                    model: ListModel { id: moduleModel }
                    Accessible.name: qsTr("请选择升级模块:")
                    // Built once; row i stands for the i-th module type.
                    Component.onCompleted: {
                        const names = config.getModuleName()
                        const modules = config.getModules()
                        for (let i = 0; i < names.length && i < modules.length; ++i)
                            moduleModel.append({ text: names[i], module: modules[i] })
                        if (moduleModel.count > 0)
                            currentIndex = 0
                    }
                    onCurrentTextChanged: {
                        if (currentIndex >= 0 && currentIndex < moduleModel.count)
                            device.index = moduleModel.get(currentIndex).module
                    }
                }
                Item { width: row2.width * 0.05; height: 1 }
                PageText {
                    id: btn_update_tip
                    objectName: "btn_update_tip"
                    visible: comboBoxApi.currentIndex === 1
                    text: qsTr("请选择升级文件:")
                }
                Button {
                    id: btn_update_file
                    objectName: "btn_update_file"
                    anchors.verticalCenter: parent.verticalCenter
                    visible: comboBoxApi.currentIndex === 1
                    width: row2.width * 0.18
                    height: 48
                    text: device.updateFile !== "" ? device.updateFile : qsTr("升级文件")
                    Accessible.name: qsTr("请选择升级文件:")
                    Accessible.description: text
                    contentItem: Text {
                        text: btn_update_file.text
                        font.pixelSize: 13
                        color: "#333333"
                        elide: Text.ElideLeft
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                    }
                    background: Rectangle {
                        color: "transparent"
                        border.width: 1
                        border.color: Qt.rgba(0, 0, 0, 0.5)
                        radius: 5
                    }
                    onClicked: fileDialog.open()
                }
                Item { width: row2.width * 0.05; height: 1 }
                Button {
                    id: btn_update
                    objectName: "btn_update"
                    anchors.verticalCenter: parent.verticalCenter
                    height: 36
                    text: qsTr("更新")
                    Accessible.name: text
                    font.pixelSize: 14
                    font.capitalization: Font.MixedCase
                    highlighted: true
                    // One transfer at a time, from the press to its end, and
                    // none while a task exists.
                    enabled: app.taskStatus === TaskStatus.Stopped && !device.upgrading && (root.progress === 0 || root.progress === 100)
                    background: Rectangle {
                        color: "#0473D5"
                        radius: 5
                        opacity: btn_update.enabled ? 1 : 0.4
                    }
                    onClicked: {
                        device.update()
                        console.info(device.updateProgress)
                    }
                }
            }

            Item {
                id: row3
                objectName: "row3"
                anchors.horizontalCenter: parent.horizontalCenter
                y: contentRect.height * 2 / 3
                width: contentRect.width * 0.88
                height: contentRect.height / 3

                PageText {
                    id: updateText
                    objectName: "updateText"
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("升级进度：")
                }
                ProgressBar {
                    id: progressBar
                    objectName: "progressBar"
                    x: updateText.width + 20
                    anchors.verticalCenter: parent.verticalCenter
                    width: row3.width * 0.86
                    height: 10
                    from: 0
                    to: 100
                    value: root.progress
                    Accessible.name: qsTr("升级进度：")
                    background: Rectangle {
                        implicitWidth: 200
                        implicitHeight: 20
                        color: "#CCCCCC"
                        radius: 2
                    }
                    contentItem: Item {
                        Rectangle {
                            width: progressBar.visualPosition * parent.width
                            height: parent.height
                            radius: 2
                            color: "#0473D5"
                        }
                    }
                }
                Label {
                    objectName: "percentText"
                    anchors.horizontalCenter: progressBar.horizontalCenter
                    y: progressBar.y - 24
                    text: Math.round(root.progress) + "%"
                    font.pixelSize: 18
                    color: "#0473D5"
                }
            }
        }
    }

    FileDialog {
        id: fileDialog
        objectName: "fileDialog"
        title: qsTr("选择升级文件")
        nameFilters: [qsTr("升级文件 (*.*)")]
        onAccepted: {
            device.updateFile = app.localPath(selectedFile)
            console.info("升级模块: " + device.index)
            console.info("升级文件: " + device.updateFile)
        }
    }

    component PageText: Label {
        anchors.verticalCenter: parent ? parent.verticalCenter : undefined
        font.pixelSize: 13
        color: "#333333"
    }
    component PageValue: Label {
        anchors.verticalCenter: parent ? parent.verticalCenter : undefined
        font.pixelSize: 13
        font.bold: true
        color: "#0473D5"
    }
}
