import QtQuick
import QtQuick.Controls
import Dravolinte2024
import ORUN_Config

// The machine home page: the brand, a picture of the machine model, the
// linked controller and the ids and versions of its boards on the left; the
// side panel with the controller chooser, the counters, the settings, the
// language and the update on the right.
Item {
    id: root

    property int textW: 60
    property int infoW: 100

    function show(tip) {
        tipDlg.text = tip
        tipDlg.open()
    }

    ConfirmBox {
        id: tipDlg
        objectName: "tipDlg"
    }
    SettingPage {
        id: setting_page
        objectName: "setting_page"
    }
    LoginPage {
        id: login_page
        objectName: "login_page"
    }

    Rectangle {
        id: left_panel
        objectName: "left_panel"
        width: root.width - right_panel.width
        height: root.height
        clip: true

        Image {
            id: logo
            objectName: "logo"
            x: left_panel.width * 0.02
            y: left_panel.height * 0.04
            source: String(config.getProperty(ORUN_Config.CPT_UI_Logo))
            sourceSize.height: left_panel.height * 0.06
            Accessible.ignored: true
        }
        MachinePicture {
            id: name
            objectName: "name"
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: logo.bottom
            anchors.bottom: rect_version.top
            anchors.margins: 10
            fillMode: Image.PreserveAspectFit
        }

        Rectangle {
            id: rect_version
            objectName: "rect_version"
            // At least one column: a panel narrower than one keeps its rows.
            readonly property int columns: Math.max(1, Math.floor(left_panel.width / 360))
            width: columns * 360
            height: 25 * Math.ceil(5 / columns) + 30
            x: (left_panel.width - width) / 2 > 0 ? (left_panel.width - width) / 2 : 40
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 40
            color: "transparent"

            Flow {
                width: rect_version.width
                spacing: 10

                Rectangle {
                    objectName: "identityLine"
                    width: rect_version.width
                    height: 25
                    color: "transparent"
                    Row {
                        anchors.horizontalCenter: parent.horizontalCenter
                        anchors.verticalCenter: parent.verticalCenter
                        spacing: 20
                        Label {
                            objectName: "identText"
                            width: Math.min(implicitWidth, rect_version.width / 2)
                            elide: Text.ElideRight
                            text: device ? device.ident : ""
                            font.pointSize: Theme.titleSize
                            font.bold: true
                            color: Theme.accent
                        }
                        Label {
                            objectName: "devTypeText"
                            anchors.verticalCenter: parent.verticalCenter
                            text: device.devType
                            font.pointSize: Theme.smallSize
                            color: Qt.rgba(0.6, 0.6, 0.6, 1)
                        }
                        Label {
                            objectName: "ipText"
                            anchors.verticalCenter: parent.verticalCenter
                            text: device.ip
                            font.pointSize: Theme.smallSize
                            color: Qt.rgba(0.6, 0.6, 0.6, 1)
                        }
                    }
                }
                VersionRow {
                    objectName: "deviceRow"
                    label1: "device id : "; value1: device.devId
                    label2: "firmware : "; value2: device.firmware
                }
                VersionRow {
                    objectName: "controlRow"
                    label1: "pcb id: "; value1: device.pcbId
                    label2: "pcb ver : "; value2: device.pcbVer
                }
                VersionRow {
                    objectName: "driverRow"
                    visible: config.containModules(ORUN_Config.MT_Driver)
                    label1: "drirver id : "; value1: device.pcbVerDriver
                    label2: "drirver ver : "; value2: device.firmwareDriver
                }
                VersionRow {
                    objectName: "sensorRow"
                    visible: config.containModules(ORUN_Config.MT_Sensor)
                    label1: "sensor : "; value1: device.pcbVerSensor
                    label2: "sensor ver : "; value2: device.firmwareSensor
                }
                VersionRow {
                    objectName: "trimRow"
                    visible: config.containModules(ORUN_Config.MT_Trim)
                    label1: "trim : "; value1: device.pcbVerTrim
                    label2: "trim ver : "; value2: device.firmwareTrim
                }
            }
        }
    }

    DeviceSidePanel {
        id: right_panel
        objectName: "right_panel"
        anchors.top: parent.top
        anchors.right: parent.right
        height: root.height
        onTipRequested: function(tip) { root.show(tip) }
        onSettingsRequested: setting_page.open()
    }

    // Two labels with their values, 350 wide: rows fall into 360-wide columns.
    component VersionRow: Row {
        property string label1
        property string value1
        property string label2
        property string value2
        spacing: 10
        VersionText { width: root.textW; text: parent.label1; font.bold: true; horizontalAlignment: Text.AlignRight }
        VersionText { width: root.infoW; text: parent.value1; horizontalAlignment: Text.AlignHCenter; elide: Text.ElideRight }
        VersionText { width: root.textW; text: parent.label2; font.bold: true; horizontalAlignment: Text.AlignRight }
        VersionText { width: root.infoW; text: parent.value2; horizontalAlignment: Text.AlignHCenter; elide: Text.ElideRight }
    }
    component VersionText: Label {
        font.pointSize: Theme.detailSize
        color: Theme.detailColor
        verticalAlignment: Text.AlignVCenter
    }
}
