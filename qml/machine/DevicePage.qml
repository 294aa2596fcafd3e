import QtQuick
import QtQuick.Controls
import Dravolinte2024
import ORUN_Config

// The values the controller keeps, set by the operator: cutting mode,
// cut-off offset, speed, knife pressure and mark-camera offsets per knife,
// the take-up and the web guide, and the resets and factory settings. Each
// change goes out at once; a value is kept only once the controller has
// accepted it, and every box keeps showing what the machine holds.
Item {
    id: control

    // The current knife's values: re-read when another knife is chosen.
    readonly property int knifePressure: pressureOf(config.knifeNo)
    readonly property real offsetX: offsetOf(config.knifeNo, true)
    readonly property real offsetY: offsetOf(config.knifeNo, false)

    function pressureOf(knife) {
        return device.pressure
    }
    function offsetOf(knife, x) {
        return x ? config.markCameraOffsetX : config.markCameraOffsetY
    }
    function writeCutOffOffset(box) {
        const v = box.real_value
        if (v === config.checkCameraCenterX)
            return
        if (device.wCheckCameraCenterX(v))
            config.checkCameraCenterX = v
        else
            box.showStored()
    }
    function writeSpeed(box) {
        const v = box.real_value
        if (device.wSpeed(v))
            config.setProperty(ORUN_Config.CPT_CUT_SPEED, v)
        else
            box.showStored()
    }
    function writePressure(box) {
        const v = box.real_value
        if (v === device.pressure)
            return
        if (device.wPressure(v))
            device.pressure = v
        else
            box.showStored()
    }
    function writeOffset(box, x) {
        const v = box.real_value
        const accepted = x ? device.setMarkCameraOffset(v, config.markCameraOffsetY)
                           : device.setMarkCameraOffset(config.markCameraOffsetX, v)
        if (!accepted)
            box.showStored()
    }

    DeviceFrame {
        objectName: "deviceFrame"
        anchors.left: parent.left
        width: control.width - right_panel.width
        height: control.height
        color: "white"
        border.width: 1
    }

    Rectangle {
        id: right_panel
        objectName: "right_panel"
        anchors.right: parent.right
        width: 400
        height: control.height

        Label {
            id: title
            width: 200
            height: 50
            text: qsTr("机器参数")
            font.bold: true
            font.pointSize: Theme.titleSize
            color: Theme.accent
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }

        Column {
            anchors.top: title.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.margins: 5
            spacing: 20

            Rectangle {
                width: parent.width
                height: 1
                color: Theme.ruleColor
            }
            ParamRow {
                label: qsTr("工作模式")
                CutModelComboBox {
                    id: cutModelBox
                    objectName: "cutModelBox"
                    width: 200
                    height: Theme.rowHeight
                    mod: device.cutModel
                    onModModfiy: {
                        device.wCutModel(mod)
                        // The picker shows what the controller holds, also after a refusal.
                        mod = Qt.binding(function() { return device.cutModel })
                    }
                }
            }
            ParamRow {
                label: qsTr("裁断偏移")
                unit: qsTr("mm")
                visible: config.enableTrim
                ParamSpinBox {
                    objectName: "cutOffBox"
                    decimals: 0
                    min: 550
                    max: 700
                    stored: config.checkCameraCenterX
                    Accessible.name: qsTr("裁断偏移")
                    onValueModified: control.writeCutOffOffset(this)
                }
            }
            ParamRow {
                label: qsTr("速度")
                unit: qsTr("mm/s")
                ParamSpinBox {
                    objectName: "speedBox"
                    decimals: 0
                    min: 10
                    max: 1200
                    stored: device.speed
                    Accessible.name: qsTr("速度")
                    onValueModified: control.writeSpeed(this)
                }
            }
            ParamRow {
                label: qsTr("刀")
                visible: config.knifeNum > 1
                ComboBox {
                    id: knifeBox
                    objectName: "knifeBox"
                    width: 200
                    height: Theme.rowHeight
                    textRole: "text"
                    model: ListModel { id: comboModel }
                    Accessible.name: qsTr("刀")
                    // Filled once: a change of the knife count shows on the next page.
                    Component.onCompleted: {
                        for (let i = 1; i <= config.knifeNum; ++i)
                            comboModel.append({ text: String(i) })
                        // Knife 1 is current on every page built.
                        if (comboModel.count > 0)
                            currentIndex = 0
                    }
                    onCurrentTextChanged: {
                        if (currentIndex >= 0)
                            config.knifeNo = currentIndex
                    }
                }
            }
            ParamRow {
                label: qsTr("压力")
                unit: qsTr("gf")
                ParamSpinBox {
                    id: iFSpinBox_pressure
                    objectName: "iFSpinBox_pressure"
                    decimals: 0
                    min: 0
                    max: 750
                    stored: control.knifePressure
                    Accessible.name: qsTr("压力")
                    onValueModified: control.writePressure(this)
                }
            }
            Item {
                objectName: "offsetXSpacer"
                width: parent.width
                height: Theme.rowHeight
                visible: config.knifeNo !== 0
            }
            ParamRow {
                objectName: "offsetXRow"
                label: qsTr("摄像头偏移")
                axis: " X "
                unit: qsTr("mm")
                visible: config.knifeNo === 0
                ParamSpinBox {
                    id: iFSpinBox_markCameraOffsetX
                    objectName: "iFSpinBox_markCameraOffsetX"
                    width: 180
                    stored: control.offsetX
                    Accessible.name: qsTr("摄像头偏移") + " X"
                    onValueModified: control.writeOffset(this, true)
                }
            }
            ParamRow {
                label: ""
                axis: " Y "
                unit: qsTr("mm")
                ParamSpinBox {
                    id: iFSpinBox_markCameraOffsetY
                    objectName: "iFSpinBox_markCameraOffsetY"
                    width: 180
                    stored: control.offsetY
                    Accessible.name: qsTr("摄像头偏移") + " Y"
                    onValueModified: control.writeOffset(this, false)
                }
            }
            ParamRow {
                label: qsTr("收料")
                visible: config.enableTrim
                CollectSwitch {
                    objectName: "collectSwitch"
                    width: 200
                    height: Theme.rowHeight
                    trim: config.trim
                    onTrimChanged: {
                        if (trim === config.trim)
                            return
                        config.trim = trim
                        // Follows the store again, also when it changes elsewhere.
                        trim = Qt.binding(function() { return config.trim })
                    }
                }
            }
            FieldRow {
                label: qsTr("分切纠偏")
                labelWidth: 120
                spacing: 2
                visible: config.enableRectify
                Switch {
                    objectName: "rectifySwitch"
                    height: Theme.rowHeight
                    checked: config.rectify
                    text: checked ? qsTr("开") : qsTr("关")
                    Accessible.name: qsTr("分切纠偏")
                    onCheckedChanged: config.rectify = checked
                }
            }
        }

        Rectangle {
            id: rect_version
            anchors.bottom: parent.bottom
            anchors.horizontalCenter: parent.horizontalCenter
            width: right_panel.width - 40
            height: 100
            color: "transparent"

            Flow {
                width: rect_version.width
                spacing: 10

                CommandButton {
                    objectName: "btn_rectify_reset"
                    text: qsTr("纠偏复位")
                    visible: config.enableRectify
                    // A motor moving under a running job would spoil it.
                    enabled: app.taskStatus === TaskStatus.Stopped && !device.rectifyResetBusy
                    onClicked: popup_slit.open()
                }
                CommandButton {
                    id: btn_trim_reset
                    objectName: "btn_trim_reset"
                    text: qsTr("裁断复位")
                    visible: config.enableTrim
                    enabled: app.taskStatus === TaskStatus.Stopped
                    onClicked: popup_trim.open()
                }
                Row {
                    spacing: 10
                    CommandButton {
                        objectName: "btn_reset"
                        text: qsTr("恢复默认设置")
                        onClicked: popup_reset.open()
                    }
                    CommandButton {
                        objectName: "btn_save_reset"
                        text: qsTr("保存默认设置")
                        onClicked: popup_save_reset.open()
                    }
                }
            }
        }
    }

    ConfirmBox {
        id: popup_reset
        objectName: "popup_reset"
        text: qsTr("确定要恢复到默认设置 ？")
        onClickedOk: device.wFactoryReset()
    }
    ConfirmBox {
        id: popup_save_reset
        objectName: "popup_save_reset"
        text: qsTr("确定要保存当前设置为默认设置 ？")
        onClickedOk: device.wSaveToFactorySet()
    }
    ConfirmBox {
        id: popup_slit
        objectName: "popup_slit"
        text: qsTr("检查安全后，点击 <确 定> 按钮复位分切纠偏电机！")
        onClickedOk: device.startRectifyMotorReset()
    }
    ConfirmBox {
        id: popup_trim
        objectName: "popup_trim"
        text: qsTr("检查安全后，点击 <确 定> 按钮复位裁断电机！")
        onClickedOk: device.wTrimMotorYReset()
    }

    // This page's units are small, centred in their width.
    component ParamRow: FieldRow {
        unitFont.pointSize: Theme.smallSize
        unitAlignment: Text.AlignHCenter
    }
    component CommandButton: Button {
        Accessible.name: text
        width: 175
        height: 40
    }
}
