import QtQuick
import QtTest
import Dravolinte2024

// The message box: OK signals once on the press and closes; Cancel, Escape
// and a press outside its parent close it silently; a press on the dimmed
// area inside its parent leaves it open.
Item {
    id: root
    width: 1000
    height: 700

    Item {
        id: host
        width: 1000
        height: 550
        NuMessageBox {
            id: box
            text: "确定要恢复到出厂设置 ？"
        }
    }
    ConfirmBox {
        id: confirm
        title: "提示"
        text: "任务运行中不可设置"
    }
    SignalSpy {
        id: confirmed
        target: confirm
        signalName: "clickedOk"
    }
    SignalSpy {
        id: ok
        target: box
        signalName: "clickedOk"
    }

    TestCase {
        name: "NuMessageBox"
        when: windowShown

        function openBox() {
            ok.clear()
            box.open()
            tryCompare(box, "opened", true)
        }
        function cleanup() {
            confirm.close()
            tryCompare(confirm, "visible", false)
            box.close()
            tryCompare(box, "visible", false)
            box.btnHeight = 50
        }

        function test_ok() {
            openBox()
            const button = findChild(box, "okButton")
            mousePress(button)
            compare(ok.count, 1)
            mouseRelease(button)
            tryCompare(box, "visible", false)
            compare(ok.count, 1)
            compare(button.Accessible.name, "确 定")
        }

        function test_closedSilently_data() {
            return [
                { tag: "cancel", how: "cancel", closes: true },
                { tag: "escape", how: "escape", closes: true },
                { tag: "outside the parent", how: "outside", closes: true },
                { tag: "dimmed area inside the parent", how: "inside", closes: false },
            ]
        }
        function test_closedSilently(data) {
            openBox()
            if (data.how === "cancel")
                mousePress(findChild(box, "cancelButton"))
            else if (data.how === "escape")
                keyClick(Qt.Key_Escape)
            else if (data.how === "outside")
                mouseClick(root, 500, 650)
            else
                mouseClick(root, 50, 50)
            if (data.closes)
                tryCompare(box, "visible", false)
            else
                verify(box.opened)
            compare(ok.count, 0)
        }

        // Bands of 0.2, 0.6 of the height and the buttons' bar; the buttons
        // 20 apart about the centre.
        function test_layout() {
            box.btnHeight = 30
            openBox()
            compare([box.width, box.height], [600, 300])
            const bar = findChild(box, "rect_bottom")
            compare(bar.height, 50)
            compare(bar.y, 60 + 180)
            const okButton = findChild(box, "okButton")
            const cancel = findChild(box, "cancelButton")
            compare(okButton.x + okButton.width, 300 - 10)
            compare(cancel.x, 300 + 10)
            compare(findChild(box, "text_content").text, "确定要恢复到出厂设置 ？")
            compare(box.contentItem.parent.Accessible.name, "Dravolinte")
        }

        // The pages' box: named by its title, answered as the plain box is.
        function test_confirmBox() {
            confirm.open()
            tryCompare(confirm, "opened", true)
            compare(confirm.contentItem.parent.Accessible.name, "提示")
            mouseClick(findChild(confirm, "okButton"))
            tryCompare(confirm, "visible", false)
            compare(confirmed.count, 1)
        }
    }
}
