import QtQuick

// The main window until its pages come: which machine this program works
// with, where it is, and what the task is doing.
Window {
    id: root
    width: 800
    height: 480
    visible: true
    title: "Dravolinte 2024"
    color: "#1f2329"

    readonly property var statusTexts: [qsTr("暂停"), qsTr("运行中"), qsTr("已停止")]

    Column {
        anchors.centerIn: parent
        spacing: 14

        Text {
            objectName: "identText"
            color: "white"
            font.pixelSize: 24
            text: qsTr("机器") + ": " + (device.ident !== "" ? device.ident : qsTr("未选择"))
        }
        Text {
            objectName: "addressText"
            color: "white"
            font.pixelSize: 20
            text: qsTr("地址") + ": " + (device.ip !== "" ? device.ip : qsTr("未连接"))
        }
        Text {
            objectName: "statusText"
            color: "white"
            font.pixelSize: 20
            text: qsTr("任务状态") + ": " + (root.statusTexts[app.taskStatus] || app.taskStatus)
        }
        Text {
            objectName: "messageText"
            color: "#ffb74d"
            font.pixelSize: 16
            visible: text !== ""
            text: device.errorMessage
        }
    }

    DravolinteCamera {
        id: camera
    }
}
