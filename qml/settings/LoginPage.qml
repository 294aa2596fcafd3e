import QtQuick
import QtQuick.Controls
import Dravolinte2024

// The administrator's login in front of the settings. It opens setting_page,
// the settings popup of the page that declares it. The pair is checked by
// the application, which holds only a digest of the password.
PopupLook {
    id: control

    title: qsTr("登录")
    implicitWidth: 300
    implicitHeight: 200
    animated: false

    // The password never outlives the popup.
    onClosed: userPass.text = ""

    function submit() {
        switch (app.checkLogin(userName.text, userPass.text)) {
        case 0:
            control.close()
            setting_page.open()
            break
        case 1:
            tipDlg.show(qsTr("用户名错误"))
            break
        default:
            tipDlg.show(qsTr("密码错误"))
            break
        }
    }

    ConfirmBox {
        id: tipDlg
        objectName: "tipDlg"
        function show(tip) {
            text = tip
            open()
        }
    }

    contentItem: Item {
        TitleBar {
            id: rect_title
            width: control.width
            title: control.title
            onCloseRequested: control.close()
        }
        Rectangle {
            y: rect_title.height
            width: control.width
            height: control.height - rect_title.height
            color: "white"

            Grid {
                columns: 2
                spacing: 10
                y: 20
                x: 50
                Label {
                    width: 60
                    height: Theme.rowHeight
                    text: qsTr("用户名：")
                    font.pointSize: Theme.labelSize
                    color: Theme.textColor
                    horizontalAlignment: Text.AlignRight
                    verticalAlignment: Text.AlignVCenter
                }
                TextField {
                    id: userName
                    objectName: "userName"
                    height: Theme.rowHeight
                    font.pointSize: 10
                    verticalAlignment: TextInput.AlignVCenter
                    text: "admin"
                    // The keyboard must not turn "admin" into "Admin".
                    inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhPreferLowercase | Qt.ImhNoPredictiveText
                    Accessible.name: qsTr("用户名")
                }
                Label {
                    width: 60
                    height: Theme.rowHeight
                    text: qsTr("密码：")
                    font.pointSize: Theme.labelSize
                    color: Theme.textColor
                    horizontalAlignment: Text.AlignRight
                    verticalAlignment: Text.AlignVCenter
                }
                TextField {
                    id: userPass
                    objectName: "userPass"
                    height: Theme.rowHeight
                    font.pointSize: 10
                    verticalAlignment: TextInput.AlignVCenter
                    echoMode: TextField.Password
                    placeholderText: qsTr("密码")
                    inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhSensitiveData | Qt.ImhNoPredictiveText
                    Accessible.name: qsTr("密码")
                }
            }
            Button {
                Accessible.name: text
                objectName: "loginButton"
                width: 70
                height: Theme.rowHeight
                anchors.right: parent.right
                anchors.rightMargin: 10
                anchors.bottom: parent.bottom
                anchors.bottomMargin: 10
                text: qsTr("登录")
                onClicked: control.submit()
            }
        }
    }
}
