import QtQuick
import QtTest
import Dravolinte2024

// The message popup: the icon's size, wrapping, read-only text, and which
// closes clear the driver's error.
Item {
    id: root
    width: 1000
    height: 700

    Item {
        width: 1000
        height: 550
        MessagePopup {
            id: errorPopup
            clearsError: true
        }
        MessagePopup {
            id: about
            width: 600
            height: 200
            showIcon: true
            textFontBold: false
        }
    }
    Component { id: sized; MessagePopup { showIcon: true } }

    TestCase {
        name: "MessagePopup"
        when: windowShown

        function cleanup() {
            errorPopup.close()
            about.close()
            tryCompare(errorPopup, "visible", false)
            tryCompare(about, "visible", false)
            device.errorMessage = ""
        }

        function test_iconSize_data() {
            return [{ tag: "400", width: 400, height: 100 }, { tag: "300", width: 300, height: 84 }]
        }
        function test_iconSize(data) {
            const popup = createTemporaryObject(sized, root, { "width": data.width })
            popup.open()
            tryCompare(popup, "opened", true)
            const icon = findChild(popup, "iconImage")
            compare(icon.sourceSize.height, data.height)
            tryCompare(icon, "status", Image.Ready)
        }

        // A long message wraps inside a word; it cannot be edited and calls up no keyboard.
        function test_messageText() {
            errorPopup.text = "设备未连接，请重启设备或者选择设备设备未连接，请重启设备或者选择设备设备未连接"
            errorPopup.open()
            tryCompare(errorPopup, "opened", true)
            const message = findChild(errorPopup, "message")
            verify(message.lineCount > 1)
            compare(message.wrapMode, Text.WrapAnywhere)
            compare(message.color, Qt.rgba(1, 0, 0, 1))
            verify(message.font.bold)
            verify(message.readOnly === undefined || message.readOnly === true)
            mouseClick(message)
            verify(!Qt.inputMethod.visible)
        }

        // The error popup clears the error on every close, so the same error
        // raised again shows again; the about box clears nothing.
        function test_errorClearing_data() {
            return [
                { tag: "close mark", how: "mark" },
                { tag: "escape", how: "escape" },
                { tag: "outside", how: "outside" },
            ]
        }
        function test_errorClearing(data) {
            device.errorMessage = "驱动X轴电机报错"
            errorPopup.text = device.errorMessage
            errorPopup.open()
            tryCompare(errorPopup, "opened", true)
            if (data.how === "mark")
                mousePress(findChild(errorPopup, "closeMark"))
            else if (data.how === "escape")
                keyClick(Qt.Key_Escape)
            else
                mouseClick(root, 500, 650)
            tryCompare(errorPopup, "visible", false)
            compare(device.errorMessage, "")

            device.errorMessage = "驱动X轴电机报错"
            about.open()
            tryCompare(about, "opened", true)
            mousePress(findChild(about, "closeMark"))
            tryCompare(about, "visible", false)
            compare(device.errorMessage, "驱动X轴电机报错")
        }

        function test_closeMarkLook() {
            about.open()
            tryCompare(about, "opened", true)
            const mark = findChild(about, "closeMark")
            compare(mark.Accessible.name, "关闭")
            compare([mark.width, mark.height], [30, 30])
            mouseMove(mark)
            tryCompare(mark, "color", Qt.rgba(1, 1, 1, 0.8))
        }
    }
}
