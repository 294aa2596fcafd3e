import QtQuick
import QtQuick.Controls
import Dravolinte2024
import ORUN_Config

// What matters just before a start: the cut options, stored the moment they
// change; the web-guide and trim resets while they are pending; a reset of
// the copy counts; and the start itself, after which the popup closes. X,
// Escape or a press outside close it without starting anything.
PopupLook {
    id: control

    property font titleFont
    property font btnFont
    property string text: ""
    property font textFont
    property real btnWidth: 120
    property real btnHeight: 50

    signal clickedOk()

    width: 510
    height: 370

    contentItem: Item {
        TitleBar {
            id: rect_title
            width: control.width
            title: control.title
            onCloseRequested: control.close()
        }

        Flow {
            id: options
            objectName: "options"
            anchors.top: rect_title.bottom
            anchors.topMargin: 20
            anchors.horizontalCenter: parent.horizontalCenter
            width: control.width - 40
            height: 70
            spacing: 10

            CheckBoxProperty {
                objectName: "cutEnable"
                createType: ORUN_Config.CPT_Enable_Cut
            }
            CheckBoxProperty {
                objectName: "cutInverse"
                createType: ORUN_Config.CPT_Cut_Inverse
            }
            ComboBoxProperty {
                objectName: "cutMarkerType"
                createType: ORUN_Config.CPT_Enable_Cut_Marker_Type
            }
            FileDialogProperty {
                objectName: "pltDir"
                createType: ORUN_Config.CPT_Plt_Dir
            }
        }

        Column {
            objectName: "buttons"
            anchors.top: options.bottom
            anchors.topMargin: 20
            anchors.horizontalCenter: parent.horizontalCenter
            width: 150
            spacing: 20

            StartButton {
                objectName: "btn_rectify_reset"
                text: qsTr("纠偏复位")
                visible: config.enableRectify && !config.rectifyReset
                // The reset waits for the controller on a thread of its own.
                enabled: !device.rectifyResetBusy
                onActivated: device.startRectifyMotorReset()
            }
            StartButton {
                objectName: "btn_trim_reset"
                text: qsTr("裁断复位")
                visible: config.trim && !config.trimReset
                onActivated: device.wTrimMotorYReset()
            }
            StartButton {
                objectName: "btn_recount"
                text: qsTr("计数清零")
                onActivated: app.reCount()
            }
            StartButton {
                objectName: "btn_start"
                text: qsTr("开始工作")
                onActivated: {
                    app.startTask(false)
                    control.close()
                }
            }
        }
    }

    component StartButton: DrawnButton {
        width: 150
        height: 50
        font: control.btnFont
        opacity: enabled ? 1 : 0.5
    }
}
