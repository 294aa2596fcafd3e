import QtQuick
import QtQuick.Controls
import Dravolinte2024

// The machine tab until the machine pages come: the settings, the language
// and the about box, which the home page's side panel will hold.
Item {
    id: root

    function show(tip) {
        tipDlg.text = tip
        tipDlg.open()
    }

    NuMessageBox {
        id: tipDlg
        objectName: "tipDlg"
        textFont.pointSize: 11
        titleFont.pointSize: 14
        titleFont.bold: true
        btnFont.pointSize: 12
    }

    Column {
        anchors.right: parent.right
        anchors.rightMargin: 20
        y: 20
        width: 300
        spacing: 10

        Label {
            text: qsTr("设置")
            font.pointSize: 12
            font.bold: true
            color: "black"
        }
        Button {
            Accessible.name: text
            objectName: "settingButton"
            width: 300
            height: 35
            text: qsTr("设置")
            onClicked: {
                // Settings written mid-task would reach the running job.
                if (app.taskStatus !== 2)
                    root.show(qsTr("任务运行中不可设置"))
                else
                    setting_page.open()
            }
        }
        Label {
            text: "语言 / Language"
            font.pointSize: 12
            font.bold: true
            color: "black"
        }
        LanguageComboBox {
            objectName: "languageBox"
            width: 100
            height: 35
            mod: config.language
            onModModfiy: config.language = mod
        }
        Row {
            spacing: 10
            Label {
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("版本 ：") + "Dravolinte 2024 V" + app.version
                color: "black"
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
    }

    SettingPage {
        id: setting_page
        objectName: "setting_page"
    }
    LoginPage {
        id: login_page
        objectName: "login_page"
    }
}
