import QtQuick
import QtQuick.Controls
import Dravolinte2024

// The web guide's edge sensors S6 and S7, as the controller last reported
// them: a red lamp while a sensor sees the web, a black one otherwise.
Row {
    id: root

    spacing: 5

    component Lamp: Rectangle {
        property string sensor
        property bool on: false
        width: root.height / 2
        height: width
        radius: width
        color: on ? Qt.rgba(1, 0, 0, 1) : Qt.rgba(0, 0, 0, 1)
        Accessible.role: Accessible.Indicator
        Accessible.name: sensor + " " + (on ? qsTr("有信号") : qsTr("无信号"))
    }
    component SensorName: Label {
        height: root.height
        font.pointSize: Theme.detailSize
        font.bold: true
        color: Theme.detailColor
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }

    SensorName {
        id: text6
        objectName: "text6"
        text: "S6"
    }
    Lamp {
        objectName: "lamp6"
        anchors.verticalCenter: text6.verticalCenter
        sensor: "S6"
        on: device.sensor6
    }
    SensorName {
        id: text7
        objectName: "text7"
        text: "S7"
    }
    Lamp {
        objectName: "lamp7"
        anchors.verticalCenter: text7.verticalCenter
        sensor: "S7"
        on: device.sensor7
    }
}
