import QtQuick
import QtQuick.Controls
import Dravolinte2024

// The task tab until the task pages come: which machine this program works
// with, where it is, what the task is doing; the camera object; and the
// error popup, through which every error of the driver reaches the operator.
Item {
    id: root

    readonly property var statusTexts: [qsTr("暂停"), qsTr("运行中"), qsTr("已停止")]
    property string errorMessage: device.errorMessage

    onErrorMessageChanged: {
        if (errorMessage !== "") {
            error_popup.text = errorMessage
            error_popup.open()
        }
    }

    Rectangle {
        anchors.fill: parent
        color: "#1f2329"
    }

    Column {
        anchors.centerIn: parent
        spacing: 14

        Label {
            objectName: "identText"
            color: "white"
            font.pixelSize: 24
            text: qsTr("机器") + ": " + (device.ident !== "" ? device.ident : qsTr("未选择"))
        }
        Label {
            objectName: "addressText"
            color: "white"
            font.pixelSize: 20
            text: qsTr("地址") + ": " + (device.ip !== "" ? device.ip : qsTr("未连接"))
        }
        Label {
            objectName: "statusText"
            color: "white"
            font.pixelSize: 20
            text: qsTr("任务状态") + ": " + (root.statusTexts[app.taskStatus] || app.taskStatus)
        }
    }

    MessagePopup {
        id: error_popup
        objectName: "error_popup"
        clearsError: true
    }

    DravolinteCamera {
        id: camera
    }
}
