import QtQuick
import QtQuick.Controls
import Dravolinte2024
import ORUN_Config

// Tests and one-off jobs; the callees refuse what the machine's state does
// not allow (through device.errorMessage). In test mode more of them show.
Item {
    id: root

    property RCamera camera

    // One still of the shown camera: the mark camera always through the QML
    // camera object, the check camera through it or the industrial camera.
    function recognize() {
        const id = config.showCamera + 1
        if (config.showCamera === 0 || config.usedQMLCamera) {
            if (camera)
                camera.capture(id)
        } else {
            app.doCapture(id)
        }
    }

    // As tall as its rows, which wrap with the length of the texts.
    height: buttons.height + 10

    Flow {
        id: buttons
        x: 30
        width: root.width - 30
        spacing: 10

        TestButton { objectName: "btn_test_pressure"; text: qsTr("测试刀压"); onClicked: device.testPressure() }
        TestButton { objectName: "btn_set_origin"; text: qsTr("设置原点"); onClicked: device.setOrigin() }
        TestButton { objectName: "btn_goto_origin"; text: qsTr("回到原点"); onClicked: device.gotoOrigin() }
        TestButton { objectName: "btn_recognize"; text: qsTr("识 别"); onClicked: root.recognize() }
        TestButton {
            objectName: "btn_results"
            text: qsTr("识别结果")
            visible: config.enableDetection
            onClicked: app.openLabelExcel()
        }
        TestButton { objectName: "btn_once"; text: qsTr("单份切割"); onClicked: app.startTask(false, true) }
        HoldButton {
            objectName: "btn_roll"
            width: 100
            height: Theme.rowHeight
            text: qsTr("收卷")
            start: function() {
                config.autoRoll = true
                return function() { config.autoRoll = false }
            }
        }
        Row {
            spacing: 5
            visible: config.enablePrint
            TestButton {
                objectName: "btn_print"
                text: qsTr("打印")
                onClicked: app.printPdfFile(app.printFile, config.printerName)
            }
            // Copies per print: the parameter's range, 1 to 9999.
            ParamSpinBox {
                id: copiesBox
                objectName: "copiesOnceBox"
                width: 100
                decimals: 0
                min: 1
                max: 9999
                stored: Number(config.getProperty(ORUN_Config.CPT_printCopiesOnce))
                Accessible.name: qsTr("每次打印份数")
                onValueModified: config.setProperty(ORUN_Config.CPT_printCopiesOnce, real_value)
                Connections {
                    target: config
                    function onPropertyChanged(key, val) {
                        if (key === ORUN_Config.CPT_printCopiesOnce)
                            copiesBox.stored = Number(val)
                    }
                }
            }
            UnitLabel { text: qsTr("份") }
        }
        FieldRow {
            spacing: 5
            label: qsTr("页面间隔")
            labelWidth: 80
            unit: qsTr("mm")
            ParamSpinBox {
                objectName: "pageSpacingBox"
                width: 120
                decimals: 2
                min: -999
                max: 999
                stored: config.pageSpacing
                Accessible.name: qsTr("页面间隔")
                onValueModified: config.pageSpacing = real_value
            }
        }
        RowLabel {
            width: root.width - 40
            visible: app.enabledTest
            text: qsTr("测试功能")
        }
        TestButton { visible: app.enabledTest; text: qsTr("抬刀"); onClicked: device.wKnifePU(config.knifeNo) }
        TestButton { visible: app.enabledTest; text: qsTr("落刀"); onClicked: device.wKnifePD(config.knifeNo) }
        TestButton {
            visible: app.enabledTest && config.knifeNum !== 0
            objectName: "btn_reset_knife"
            text: qsTr("小车复位")
            onClicked: device.resetKnife()
        }
        TestButton { visible: app.enabledTest; text: qsTr("自动找点"); onClicked: device.autoFindPoint() }
        TestButton { visible: app.enabledTest; text: qsTr("测试标记点"); onClicked: device.autoCheckPoint() }
        TestButton { visible: app.enabledTest; text: qsTr("移动偏移"); onClicked: device.moveOffset() }
        TestButton { visible: app.enabledTest; text: qsTr("重复切割"); onClicked: device.cutRepeat() }
        TestButton { visible: app.enabledTest; text: qsTr("空白切割"); onClicked: device.cut() }
    }

    component TestButton: Button {
        width: 100
        height: Theme.rowHeight
    }
}
