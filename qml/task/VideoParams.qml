import QtQuick
import QtQuick.Controls
import Dravolinte2024

// The cut parameters: mark size, the knife, the camera offset of that knife
// (with its calibration), the knife pressure, the compensations, the test
// square and the scale correction. Offsets and pressure equal to the stored
// ones are not sent.
Column {
    id: root

    // Knife choice: the offsets and the pressure are those of the chosen knife.
    function chooseKnife(index) {
        if (index < 0)
            return
        config.knifeNo = index
        offsetY.stored = Qt.binding(function() { return config.markCameraOffsetY })
        offsetX.stored = Qt.binding(function() { return config.markCameraOffsetX })
        pressure.stored = Qt.binding(function() { return device.pressure })
    }
    // Kept once the controller accepts; otherwise the kept one shows again.
    function writeOffset(box, x) {
        const v = box.real_value
        if (v === (x ? config.markCameraOffsetX : config.markCameraOffsetY))
            return
        const accepted = x ? device.setMarkCameraOffset(v, config.markCameraOffsetY)
                           : device.setMarkCameraOffset(config.markCameraOffsetX, v)
        if (!accepted)
            box.showStored()
    }
    function writePressure(p) {
        if (p === device.pressure)
            return
        device.wPressure(p)
        device.pressure = p
    }
    // "设置": the factors that bring the measured square back to 100 mm.
    function applyScale() {
        device.wScale(100.0 / scaleX.real_value, 100.0 / scaleY.real_value)
        scaleX.value = scaleX.decimalToInt(100)
        scaleY.value = scaleY.decimalToInt(100)
    }

    x: 30
    spacing: 10

    ParamRow {
        label: qsTr("标记点尺寸")
        unit: qsTr("mm")
        ComboBox {
            id: markSizeBox
            objectName: "markSizeBox"
            width: 100
            height: Theme.rowHeight
            model: ["3.5", "5.0"]
            currentIndex: config.markSize === 5.0 ? 1 : 0
            Accessible.name: qsTr("标记点尺寸")
            onActivated: function(index) { config.markSize = Number(textAt(index)) }
        }
    }
    ParamRow {
        objectName: "knifeRow"
        label: qsTr("刀")
        visible: config.knifeNum > 1
        ComboBox {
            id: knifeBox
            objectName: "knifeBox"
            width: 100
            height: Theme.rowHeight
            textRole: "text"
            model: ListModel { id: knives }
            Accessible.name: qsTr("刀")
            onCurrentIndexChanged: root.chooseKnife(currentIndex)
            // Filled once; knife 1 is chosen on every page built.
            Component.onCompleted: {
                for (let i = 1; i <= config.knifeNum; ++i)
                    knives.append({ text: String(i) })
                if (knives.count > 0) {
                    currentIndex = 0
                    root.chooseKnife(0)
                }
            }
        }
    }
    Button {
        objectName: "btn_calibrate"
        width: 260
        height: Theme.rowHeight
        enabled: config.knifeNo === 0
        text: qsTr("点击校准摄像头偏移")
        onClicked: device.checkCameraOffset()
    }
    Row {
        spacing: 10
        Image {
            width: 120
            height: 110
            source: "file:Dravolinte/res/xy.svg"
            sourceSize.width: 120
            fillMode: Image.PreserveAspectFit
            Accessible.ignored: true
        }
        Column {
            spacing: 10
            Item {
                objectName: "offsetXSpacer"
                visible: config.knifeNo !== 0
                width: 10
                height: 70
            }
            RowLabel {
                visible: config.knifeNo === 0
                text: qsTr("摄像头偏移")
            }
            FieldRow {
                objectName: "offsetXRow"
                visible: config.knifeNo === 0
                spacing: 5
                label: "X"
                labelWidth: 20
                unit: qsTr("mm")
                ParamSpinBox {
                    id: offsetX
                    objectName: "offsetXBox"
                    width: 130
                    min: -100
                    max: 100
                    stored: config.markCameraOffsetX
                    Accessible.name: qsTr("摄像头偏移") + " X"
                    onValueModified: root.writeOffset(this, true)
                }
            }
            FieldRow {
                spacing: 5
                label: "Y"
                labelWidth: 20
                unit: qsTr("mm")
                ParamSpinBox {
                    id: offsetY
                    objectName: "offsetYBox"
                    width: 130
                    min: -100
                    max: 100
                    stored: config.markCameraOffsetY
                    Accessible.name: qsTr("摄像头偏移") + " Y"
                    onValueModified: root.writeOffset(this, false)
                }
            }
        }
    }
    ParamRow {
        label: qsTr("压力")
        unit: qsTr("gf")
        ParamSpinBox {
            id: pressure
            objectName: "pressureBox"
            width: 130
            decimals: 0
            min: 0
            max: 750
            stored: device.pressure
            Accessible.name: qsTr("压力")
            onValueModified: root.writePressure(real_value)
        }
    }
    CompensationRow {
        objectName: "knifeCompensation"
        label: qsTr("刻刀补偿")
        active: config.knifeCompensate
        max: 2
        stored: config.knifeCompensateVal
        onToggled: function(checked) { if (checked !== config.knifeCompensate) config.knifeCompensate = checked }
        onEdited: function(v) { config.knifeCompensateVal = v }
    }
    CompensationRow {
        objectName: "closeCompensation"
        label: qsTr("闭合补偿")
        active: config.closeCompensate
        max: 3
        stored: config.closeCompensateVal
        onToggled: function(checked) { if (checked !== config.closeCompensate) config.closeCompensate = checked }
        onEdited: function(v) { config.closeCompensateVal = v }
    }
    Button {
        objectName: "btn_square"
        width: 260
        height: Theme.rowHeight
        text: qsTr("点击切割100 x 100 mm 矩形")
        onClicked: device.cut100mmRect()
    }
    Row {
        spacing: 5
        RowLabel { text: qsTr("缩放"); width: 40 }
        RowLabel { text: "X"; width: 12 }
        NuSpinBox {
            id: scaleX
            objectName: "scaleXBox"
            width: 100
            height: Theme.rowHeight
            min: 1
            max: 100000
            value: decimalToInt(100)
            Accessible.name: qsTr("缩放") + " X"
        }
        RowLabel { text: "Y"; width: 12 }
        NuSpinBox {
            id: scaleY
            objectName: "scaleYBox"
            width: 100
            height: Theme.rowHeight
            min: 1
            max: 100000
            value: decimalToInt(100)
            Accessible.name: qsTr("缩放") + " Y"
        }
        Button {
            objectName: "btn_scale"
            width: 50
            height: Theme.rowHeight
            font.pointSize: Theme.smallSize
            text: qsTr("设置")
            onClicked: root.applyScale()
        }
    }

    // A labelled field, the label as wide as the compensation toggles.
    component ParamRow: FieldRow {
        spacing: 10
        labelWidth: 130
        labelAlignment: Text.AlignRight
    }
    // A toggle for a compensation and its value.
    component CompensationRow: Row {
        id: row

        property string label
        property bool active
        property real max
        property real stored

        signal toggled(bool checked)
        signal edited(real v)

        spacing: 10

        Button {
            objectName: "toggle"
            width: 130
            height: Theme.rowHeight
            checkable: true
            checked: row.active
            text: row.label
            font.pointSize: Theme.labelSize
            onCheckedChanged: row.toggled(checked)
        }
        ParamSpinBox {
            objectName: "value"
            width: 130
            min: 0
            max: row.max
            stored: row.stored
            Accessible.name: row.label
            onValueModified: row.edited(real_value)
        }
        UnitLabel { text: qsTr("mm") }
    }
}
