import QtQuick
import QtTest
import Dravolinte2024

// The administrator's login: the checks and their messages, the settings
// opened on success, a password that does not outlive the popup.
Item {
    id: root
    width: 1000
    height: 700

    SettingPage {
        id: setting_page
    }
    LoginPage {
        id: login
    }

    TestCase {
        name: "LoginPage"
        when: windowShown

        function field(name) {
            return findChild(login, name)
        }
        function openLogin(user, password) {
            login.open()
            tryCompare(login, "opened", true)
            field("userName").text = user
            field("userPass").text = password
        }
        function cleanup() {
            findChild(login, "tipDlg").close()
            setting_page.close()
            login.close()
            tryCompare(login, "visible", false)
            tryCompare(setting_page, "visible", false)
        }

        function test_check_data() {
            return [
                { tag: "right pair", user: "admin", password: "kelv", message: "", settings: true },
                { tag: "empty password", user: "admin", password: "", message: "密码错误", settings: false },
                { tag: "wrong password", user: "admin", password: "Kelv", message: "密码错误", settings: false },
                { tag: "trailing blank", user: "admin ", password: "kelv", message: "用户名错误", settings: false },
                { tag: "capitals", user: "Admin", password: "kelv", message: "用户名错误", settings: false },
            ]
        }
        function test_check(data) {
            openLogin(data.user, data.password)
            mouseClick(findChild(login, "loginButton"))
            const tip = findChild(login, "tipDlg")
            if (data.message !== "") {
                tryCompare(tip, "opened", true)
                compare(findChild(tip, "text_content").text, data.message)
                verify(login.opened)
                compare(field("userPass").text, data.password)
            } else {
                tryCompare(setting_page, "opened", true)
                tryCompare(login, "visible", false)
            }
        }

        // Enter submits nothing; closing clears the password and checks nothing.
        function test_enterAndClose() {
            openLogin("admin", "kelv")
            field("userPass").forceActiveFocus()
            keyClick(Qt.Key_Return)
            verify(!setting_page.visible)
            keyClick(Qt.Key_Escape)
            tryCompare(login, "visible", false)
            compare(field("userPass").text, "")
            compare(field("userName").text, "admin")
            verify(!setting_page.visible)
        }

        function test_fields() {
            openLogin("admin", "")
            verify(field("userName").inputMethodHints & Qt.ImhNoAutoUppercase)
            compare(field("userPass").echoMode, TextInput.Password)
            compare(field("userName").Accessible.name, "用户名")
            compare(field("userPass").placeholderText, "密码")
            mousePress(findChild(login, "closeMark"))
            tryCompare(login, "visible", false)
        }
    }
}
