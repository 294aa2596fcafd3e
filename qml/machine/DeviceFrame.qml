import QtQuick
import QtQuick.Controls
import Dravolinte2024
import ORUN_Config

// The linked machine at a glance: who and where it is, the hold-to-run
// rewind, the diagram of its version, the roller, speed and dancer readings,
// the edge sensors, and over all the limit and alarm texts while any state
// bit is set. It writes nothing but config.autoRoll.
Rectangle {
    id: control

    property int deviceState: device.deviceState
    // This frame's button holds the rewind: a frame that goes while it is
    // held lets it go, or the rewind would run on with nobody holding it.
    property bool holdingRoll: false

    function refreshState() {
        text_dev_state.text = device.deviceStateString()
    }
    function oneDecimal(v) {
        return Number(v).toFixed(1)
    }
    function releaseRoll() {
        if (!holdingRoll)
            return
        holdingRoll = false
        config.autoRoll = false
    }

    onDeviceStateChanged: refreshState()
    Component.onCompleted: {
        if (deviceState !== 0)
            refreshState()
    }
    Component.onDestruction: releaseRoll()
    // A second alarm may come while the alarm bit stays set.
    Connections {
        target: device
        function onAlarmTextChanged() {
            if (control.deviceState !== 0)
                control.refreshState()
        }
    }

    Row {
        id: top_row
        objectName: "top_row"
        x: 10
        y: 10
        height: control.height * 0.06
        spacing: 20

        Image {
            objectName: "logo"
            anchors.verticalCenter: parent.verticalCenter
            source: String(config.getProperty(ORUN_Config.CPT_UI_Logo))
            sourceSize.height: Math.floor(top_row.height)
            Accessible.ignored: true
        }
        Label {
            objectName: "identText"
            anchors.verticalCenter: parent.verticalCenter
            // A name of any length leaves room for the address.
            width: Math.min(implicitWidth, Math.max(0, control.width / 2))
            elide: Text.ElideRight
            text: device.ident
            font.pointSize: Theme.titleSize
            font.bold: true
            color: Qt.rgba(0.1, 0.8, 0, 1)
        }
        Label {
            objectName: "ipText"
            anchors.verticalCenter: parent.verticalCenter
            text: device.ip
            font.pointSize: Theme.smallSize
            color: Theme.detailColor
        }
    }

    Rectangle {
        objectName: "autoRollButton"
        anchors.top: parent.top
        anchors.topMargin: 5
        anchors.right: parent.right
        anchors.rightMargin: 5
        width: 36
        height: 36
        color: roll_area.containsMouse ? Theme.iconHoverColor : "transparent"
        Accessible.role: Accessible.Button
        Accessible.name: qsTr("收卷")
        Accessible.description: qsTr("按住收卷")

        Text {
            objectName: "autoRollGlyph"
            anchors.centerIn: parent
            text: "\uf1cd"
            font.family: "OrunFont"
            font.pointSize: 20
            color: config.autoRoll ? Qt.rgba(1, 0, 0, 0.8) : Qt.rgba(0.5, 0.5, 0.5, 1)
            Accessible.ignored: true
        }
        MouseArea {
            id: roll_area
            objectName: "autoRollArea"
            anchors.fill: parent
            hoverEnabled: true
            onPressed: {
                control.holdingRoll = true
                config.autoRoll = true
            }
            onReleased: control.releaseRoll()
            onCanceled: control.releaseRoll()
        }
    }

    Rectangle {
        objectName: "diagramArea"
        x: 5
        y: top_row.y + top_row.height + 10
        width: control.width - 10
        height: Math.max(0, bottom_row.y - 10 - y)
        color: "white"

        DeviceFrameV1 { objectName: "diagramV1"; anchors.fill: parent; shown: config.version === ORUN_Config.VT_7x3 }
        DeviceFrameV2 { objectName: "diagramV2"; anchors.fill: parent; shown: config.version === ORUN_Config.VT_7x4 }
        DeviceFrameV3 {
            objectName: "diagramV3"
            anchors.fill: parent
            shown: config.version === ORUN_Config.VT_7x5 || config.version === ORUN_Config.VT_7x6
        }
        DeviceFrameV4 { objectName: "diagramV4"; anchors.fill: parent; shown: config.version === ORUN_Config.VT_7x7 }
        DeviceFrameV5 { objectName: "diagramV5"; anchors.fill: parent; shown: config.version === ORUN_Config.VT_7x8 }
    }

    Row {
        id: bottom_row
        objectName: "bottom_row"
        x: 10
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 10
        spacing: 10

        Reading { label: qsTr("收纸辊:"); value: control.oneDecimal(device.collectRoller) + " cm"; name: "collectRoller" }
        Reading { label: qsTr("收纸速度:"); value: String(config.collectSpeedRealTime); name: "collectSpeed"; shown: app.enabledTest }
        Reading { label: qsTr("切割速度:"); value: String(device.speed); name: "cutSpeed"; shown: app.enabledTest }
        Reading { label: qsTr("覆膜辊:"); value: control.oneDecimal(device.filmRoller) + " cm"; name: "filmRoller" }
        Reading { label: qsTr("覆膜速度:"); value: String(config.filmSpeedRealTime); name: "filmSpeed"; shown: app.enabledTest }
        Reading { label: qsTr("打印辊:"); value: control.oneDecimal(device.printRoller) + " cm"; name: "printRoller"; shown: config.enablePrintRoller }
        Reading { label: qsTr("陀螺仪:"); value: control.oneDecimal(device.gyroscope) + " °"; name: "gyroscope"; shown: config.enableGyroscope }
    }

    SensorBar {
        objectName: "sensorBar"
        anchors.right: parent.right
        anchors.rightMargin: 10
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 10
        height: 20
        visible: !config.enableDetection
    }

    Rectangle {
        id: state_box
        objectName: "stateBox"
        anchors.centerIn: parent
        width: control.width - 60
        height: text_dev_state.height + 30
        radius: 2
        color: Qt.rgba(0.9, 0.9, 0.9, 0.95)
        visible: device.deviceState !== 0

        Label {
            id: text_dev_state
            objectName: "text_dev_state"
            anchors.centerIn: parent
            text: ""
            font.pointSize: 18
            font.bold: true
            color: Theme.alarmColor
            wrapMode: Text.NoWrap
        }
    }

    // A label and its value; a hidden pair takes no room in the row.
    component Reading: Row {
        property string label
        property string value
        property string name
        property bool shown: true
        visible: shown
        spacing: 0
        Label {
            objectName: parent.name + "Label"
            text: parent.label
            font.pointSize: Theme.detailSize
            font.bold: true
            color: Theme.detailColor
            verticalAlignment: Text.AlignVCenter
        }
        Label {
            objectName: parent.name + "Value"
            text: parent.value
            font.pointSize: Theme.detailSize
            color: Theme.detailColor
            verticalAlignment: Text.AlignVCenter
        }
    }
}
