import QtQuick
import QtTest
import Dravolinte2024

// The main window: tabs, the bottom bar's texts and layout, the on-screen
// keyboard, and closing while the machine's firmware is being written.
TestCase {
    id: test
    name: "Main"
    when: windowShown

    Component {
        id: mainComponent
        Main {}
    }

    function makeWindow() {
        const win = createTemporaryObject(mainComponent, test)
        verify(win)
        win.visibility = Window.Windowed
        win.width = 1080
        win.height = 760
        tryCompare(win.contentItem, "width", 1080)
        return win
    }
    function child(win, name) {
        const item = findChild(win, name)
        verify(item, name)
        return item
    }

    function test_tabs() {
        const win = makeWindow()
        const stack = child(win, "stack_layout")
        compare(stack.currentIndex, 1)
        const names = []
        for (const [button, index] of [["btn1", 0], ["btn3", 2], ["btn3", 2], ["btn2", 1]]) {
            const b = child(win, button)
            mouseClick(b)
            compare(stack.currentIndex, index)
            names.push(b.Accessible.name)
        }
        compare(names, ["主页", "帮助", "帮助", "任务"])
        compare(child(win, "btn2").font.family, "OrunFont")
        compare(child(win, "btn2").text, "\ue115")
    }

    function test_barLayout_data() {
        return [{ tag: "1080", width: 1080 }, { tag: "1920", width: 1920 }, { tag: "800", width: 800 }]
    }
    function test_barLayout(data) {
        const win = makeWindow()
        win.width = data.width
        const bar = child(win, "bottomBar")
        tryCompare(bar, "width", data.width - 70)
        compare(bar.x, 35)
        compare(bar.height, 40)
        compare(bar.y, win.height - 40)
        for (const name of ["btn1", "btn2", "btn3"]) {
            compare(child(win, name).width, 110)
            compare(child(win, name).height, 40)
        }
        compare(child(win, "runTip").width, (data.width - 400) / 2)
    }

    // The bar follows the store and the driver; the error place shows the
    // newer of the driver's error and its machine state.
    function test_barTexts() {
        const win = makeWindow()
        config.runTip = "扫描第一个标记"
        config.runErrTip = "纸张偏移"
        compare(child(win, "runTip").text, "扫描第一个标记")
        compare(child(win, "runErrTip").text, "纸张偏移")
        const error = child(win, "text_error")
        device.errorMessage = "第一个错误"
        tryCompare(error, "text", "第一个错误")
        device.deviceState = 2 // the print roller's limit
        tryCompare(error, "text", device.deviceStateString())
        verify(error.text !== "")
        device.errorMessage = "第二个错误"
        tryCompare(error, "text", "第二个错误")
        device.deviceState = 0
        tryCompare(error, "text", device.deviceStateString())
        config.runTip = ""
        config.runErrTip = ""
        device.errorMessage = ""
        compare(child(win, "bottomBar").width, win.width - 70)
    }

    // Closing the error popup clears the error; the machine's state, still
    // alarming, takes the place again.
    function test_stateAfterErrorClosed() {
        const win = makeWindow()
        const error = child(win, "text_error")
        device.deviceState = 2 // the print roller's limit
        const state = device.deviceStateString()
        verify(state !== "")
        device.errorMessage = "第一个错误"
        tryCompare(error, "text", "第一个错误")
        const popup = child(win, "error_popup")
        tryCompare(popup, "opened", true)
        mousePress(child(popup.contentItem, "closeMark"))
        tryCompare(popup, "visible", false)
        compare(device.errorMessage, "")
        compare(error.text, state)
        device.deviceState = 0
    }

    // Focus on a text field slides the keyboard over the bar in 250 ms; it
    // slides back below the window when the field lets go.
    function test_keyboard() {
        const win = makeWindow()
        // The keyboard is made after the window's first frame, in its loader.
        tryVerify(function() {
            const made = findChild(win, "inputPanel")
            return made !== null && made.parent.status === Loader.Ready
        }, 10000)
        const panel = child(win, "inputPanel")
        compare(panel.y, win.height)
        child(win, "btn1").clicked()
        const settings = child(win, "setting_page")
        settings.open()
        tryCompare(settings, "opened", true)
        const spin = findChild(settings, "spin")
        verify(spin)
        const field = findChild(spin, "textInput")
        field.forceActiveFocus()
        tryCompare(panel, "active", true, 5000)
        const start = Date.now()
        tryVerify(function() { return panel.height > 0 && panel.y === win.height - panel.height }, 5000)
        verify(Date.now() - start >= 200, "slides in, not at once")
        field.focus = false
        settings.close()
        tryCompare(panel, "active", false, 5000)
        tryCompare(panel, "y", win.height, 5000)
    }

    // Closing asks the application: refused while a firmware transfer runs
    // (the reason shown as the driver's error), allowed once it is done.
    function test_closeDuringUpgrade() {
        verify(simulator.start(["--personality", "module"]))
        const win = makeWindow()
        simulator.control("now progress 42")
        tryCompare(device, "updateProgress", 42, 10000)
        win.close()
        verify(win.visible)
        compare(device.errorMessage, "请等待升级结束")
        device.errorMessage = ""
        simulator.control("now progress 100")
        tryCompare(device, "updateProgress", 100, 10000)
        win.close()
        tryCompare(win, "visible", false)
        simulator.stop()
    }
}
