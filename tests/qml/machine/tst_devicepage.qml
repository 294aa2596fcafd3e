import QtQuick
import QtTest
import Dravolinte2024
import ORUN_Config

// The machine parameter page with the simulated controller: what each row
// sends, what is kept once the controller accepts and shown again when it
// does not, the knives, the confirmations, the resets and what waits for a
// running task; the cut-mode picker and the take-up switch.
Item {
    id: root
    width: 1280
    height: 800

    Component {
        id: pageComponent
        DevicePage { width: 1280; height: 800 }
    }

    Component {
        id: taskTabComponent
        TaskStackPage { width: 1280; height: 800 }
    }

    TestCase {
        name: "DevicePage"
        when: windowShown

        property var saved: ({})

        function initTestCase() {
            for (const key of ["knifeNum", "enableTrim", "enableRectify", "trim", "rectify", "checkCameraCenterX"])
                saved[key] = config[key]
            // A loaded machine may answer later than the 100 ms the program waits.
            config.setProperty(ORUN_Config.CPT_wait_TcpRet_Msecs, 2000)
            config.knifeNum = 2
            verify(simulator.start(["--set", "pressure1=222", "--set", "markOffset2=4.5,-6.25"]))
        }
        function cleanupTestCase() {
            simulator.stop()
            for (const key in saved)
                config[key] = saved[key]
        }
        function init() {
            config.knifeNum = 2
            config.enableTrim = true
            config.enableRectify = true
            app.taskStatus = 2
            device.errorMessage = ""
        }
        function makePage() {
            const page = createTemporaryObject(pageComponent, root)
            verify(page)
            return page
        }
        function child(item, name) {
            const found = findChild(item, name)
            verify(found, name)
            return found
        }
        function typeInto(box, text) {
            const input = findChild(box, "textInput")
            input.forceActiveFocus()
            input.selectAll()
            for (const c of text)
                keyClick(c)
            keyClick(Qt.Key_Return)
        }
        // Where the commands of the next action start. The field edited last
        // gives up the focus first: its end of edit would count otherwise.
        function mark() {
            root.forceActiveFocus()
            return simulator.commands().length
        }
        // The page's writes of one command id since count commands.
        function sentSince(count, prefix) {
            return simulator.commands().slice(count).filter(function(c) { return c.startsWith(prefix) })
        }
        function chooseKnife(page, index) {
            child(page, "knifeBox").currentIndex = index
            compare(config.knifeNo, index)
        }
        function confirm(page, button, popupName) {
            mouseClick(child(page, button))
            const popup = child(page, popupName)
            tryCompare(popup, "opened", true)
            mousePress(child(popup.contentItem, "okButton"))
            tryCompare(popup, "visible", false)
        }

        // Each row's exact command, and what the page keeps of it.
        function test_rowCommands() {
            const page = makePage()
            let n = mark()
            mousePress(child(page, "cutModelBox"))
            const list = child(page, "modList")
            tryCompare(list, "opened", true)
            mousePress(child(list.contentItem, "modEntry2"))
            compare(sentSince(n, "10,"), ["10,1,2;"])
            tryCompare(device, "cutModel", 2)
            compare(child(page, "modText").text, "精度优先")

            n = mark()
            typeInto(child(page, "cutOffBox"), "600")
            compare(sentSince(n, "8,"), ["8,1,0,600.00,0;"])
            compare(config.checkCameraCenterX, 600)

            n = mark()
            typeInto(child(page, "speedBox"), "250")
            compare(sentSince(n, "6,"), ["6,1,0,250;"])
            compare(config.getProperty(ORUN_Config.CPT_CUT_SPEED), 250)
            tryCompare(device, "speed", 250)
            // The same speed once more still goes out.
            typeInto(child(page, "speedBox"), "250")
            compare(sentSince(n, "6,"), ["6,1,0,250;", "6,1,0,250;"])

            chooseKnife(page, 1)
            n = mark()
            typeInto(child(page, "iFSpinBox_pressure"), "300")
            compare(sentSince(n, "7,"), ["7,1,1,300;"])
            tryCompare(device, "pressure", 300)

            // Knife 2's Y alone, its X kept; the number is the knife's, 2.
            const x = config.markCameraOffsetX
            n = mark()
            typeInto(child(page, "iFSpinBox_markCameraOffsetY"), "-3.5")
            compare(sentSince(n, "8,"), ["8,1,2," + x.toFixed(2) + ",-3.50;"])
            compare(config.markCameraOffsetY, -3.5)
            compare(config.markCameraOffsetX, x)
            chooseKnife(page, 0)
            n = mark()
            typeInto(child(page, "iFSpinBox_markCameraOffsetX"), "12.25")
            compare(sentSince(n, "8,"), ["8,1,1,12.25," + config.markCameraOffsetY.toFixed(2) + ";"])
        }

        // An equal pressure or cut-off offset sends nothing.
        function test_equalSendsNothing() {
            const page = makePage()
            chooseKnife(page, 0)
            const n = mark()
            typeInto(child(page, "iFSpinBox_pressure"), String(device.pressure))
            typeInto(child(page, "cutOffBox"), String(config.checkCameraCenterX))
            typeInto(child(page, "iFSpinBox_pressure"), String(device.pressure + 1))
            compare(sentSince(n, "7,"), ["7,1,0," + device.pressure + ";"])
            compare(sentSince(n, "8,"), [])
        }

        // Refused or unanswered: told, nothing kept, the held value shown
        // again; the same value typed again is sent again.
        function test_notAccepted_data() {
            return [
                { tag: "pressure refused", fault: "on 7 status 1 count 1", box: "iFSpinBox_pressure", typed: "333",
                  sent: "7,1,0,333;", message: "压力设置失败，请检查设备",
                  held: function() { return device.pressure } },
                { tag: "speed unanswered", fault: "on 6 drop count 1", box: "speedBox", typed: "400",
                  sent: "6,1,0,400;", message: "速度设置失败，请检查设备",
                  held: function() { return device.speed } },
                { tag: "cut-off refused", fault: "on 8 status 1 count 1", box: "cutOffBox", typed: "650",
                  sent: "8,1,0,650.00,0;", message: "裁断偏移设置失败，请检查设备",
                  held: function() { return config.checkCameraCenterX } },
                { tag: "offset refused", fault: "on 8 status 1 count 1", box: "iFSpinBox_markCameraOffsetX", typed: "33",
                  sent: "8,1,1,33.00,", message: "摄像头偏移设置失败，请检查设备",
                  held: function() { return config.markCameraOffsetX } },
            ]
        }
        function test_notAccepted(data) {
            const page = makePage()
            chooseKnife(page, 0)
            const box = child(page, data.box)
            const held = data.held()
            const cutSpeed = config.getProperty(ORUN_Config.CPT_CUT_SPEED)
            verify(simulator.control(data.fault))
            let n = mark()
            typeInto(box, data.typed)
            const prefix = data.sent.split(",")[0] + ","
            compare(sentSince(n, prefix).length, 1)
            verify(sentSince(n, prefix)[0].startsWith(data.sent))
            compare(device.errorMessage, data.message)
            compare(data.held(), held)
            compare(box.real_value, held)
            compare(config.getProperty(ORUN_Config.CPT_CUT_SPEED), cutSpeed)
            device.errorMessage = ""
            n = mark()
            typeInto(box, data.typed)
            compare(sentSince(n, prefix).length, 1)
            compare(device.errorMessage, "")
            tryCompare(box, "real_value", Number(data.typed))
        }

        // A refused mode leaves the picker showing the controller's.
        function test_pickerFollowsController() {
            const page = makePage()
            const picker = child(page, "cutModelBox")
            const before = device.cutModel
            const other = (before + 1) % 3
            verify(simulator.control("on 10 status 1 count 1"))
            picker.pick(other)
            compare(picker.mod, before)
            compare(device.errorMessage, "工作模式设置失败，请检查设备")
            picker.pick(other)
            tryCompare(picker, "mod", other)
            // Picking the mode shown sends nothing.
            const n = mark()
            picker.pick(other)
            compare(sentSince(n, "10,"), [])
        }

        // After typed edits and a pick the boxes still show what the
        // controller holds once "恢复默认设置" has read it all again.
        function test_followAfterRestore() {
            const page = makePage()
            const speed = child(page, "speedBox")
            const picker = child(page, "cutModelBox")
            typeInto(speed, "321")
            tryCompare(device, "speed", 321)
            picker.pick((device.cutModel + 1) % 3)
            verify(device.cutModel !== 0)
            mark()
            confirm(page, "btn_reset", "popup_reset")
            tryCompare(speed, "value", 100, 10000)
            tryCompare(picker, "mod", 0, 10000)
            // A reading beyond the box's range shows at its bound.
            device.speed = 5000
            compare(speed.value, 1200)
            device.speed = 100
        }

        // Knife 2 hides X behind a blank strip and reloads Y and the pressure.
        function test_knives() {
            const page = makePage()
            compare(config.knifeNo, 0)
            const row = child(page, "knifeBox").parent.parent
            verify(row.visible)
            chooseKnife(page, 1)
            compare(child(page, "offsetXRow").visible, false)
            verify(child(page, "offsetXSpacer").visible)
            tryCompare(child(page, "iFSpinBox_pressure"), "value", device.pressure)
            compare(child(page, "iFSpinBox_markCameraOffsetY").value, Math.round(config.markCameraOffsetY * 100))
            chooseKnife(page, 0)
            verify(child(page, "offsetXRow").visible)
            compare(child(page, "offsetXSpacer").visible, false)
            compare(child(page, "iFSpinBox_markCameraOffsetX").value, Math.round(config.markCameraOffsetX * 100))

            config.knifeNum = 1
            config.knifeNo = 1
            const single = makePage()
            compare(child(single, "knifeBox").parent.parent.visible, false)
            compare(config.knifeNo, 0)
        }

        // Cancel sends nothing, OK alone sends.
        function test_confirmations_data() {
            return [
                { tag: "restore", button: "btn_reset", popup: "popup_reset", sent: "16,1;" },
                { tag: "save", button: "btn_save_reset", popup: "popup_save_reset", sent: "16,0;" },
                { tag: "web guide", button: "btn_rectify_reset", popup: "popup_slit", sent: "2,0,4;" },
                { tag: "cut-off", button: "btn_trim_reset", popup: "popup_trim", sent: "2,3,1;" },
            ]
        }
        function test_confirmations(data) {
            const page = makePage()
            const prefix = data.sent.split(",")[0] + ","
            let n = mark()
            mouseClick(child(page, data.button))
            const popup = child(page, data.popup)
            tryCompare(popup, "opened", true)
            mousePress(child(popup.contentItem, "cancelButton"))
            tryCompare(popup, "visible", false)
            compare(sentSince(n, prefix), [])
            confirm(page, data.button, data.popup)
            verify(simulator.waitForCommand(data.sent))
            tryCompare(child(page, data.button), "enabled", true, 10000)
            compare(sentSince(n, prefix).filter(function(c) { return c === data.sent }).length, 1)
        }

        // A slow web-guide reset leaves the page working, its button busy
        // until the reply.
        function test_slowReset() {
            const page = makePage()
            const button = child(page, "btn_rectify_reset")
            verify(simulator.control("on 2 delay 3000 count 1"))
            const started = Date.now()
            confirm(page, "btn_rectify_reset", "popup_slit")
            verify(Date.now() - started < 2500)
            verify(device.rectifyResetBusy)
            compare(button.enabled, false)
            tryCompare(button, "enabled", true, 15000)
            compare(device.errorMessage, "")
        }

        // While a task exists the motor resets are not offered and the
        // factory commands are refused with the reason.
        function test_midTask_data() {
            return [{ tag: "running", status: 1 }, { tag: "paused", status: 0 }]
        }
        function test_midTask(data) {
            const page = makePage()
            app.taskStatus = data.status
            compare(child(page, "btn_rectify_reset").enabled, false)
            compare(child(page, "btn_trim_reset").enabled, false)
            const n = mark()
            confirm(page, "btn_reset", "popup_reset")
            confirm(page, "btn_save_reset", "popup_save_reset")
            compare(sentSince(n, "16,"), [])
            compare(device.errorMessage, "任务运行中不可设置")
            app.taskStatus = 2
            verify(child(page, "btn_trim_reset").enabled)
        }

        function test_optionsHideRows() {
            const page = makePage()
            const rows = ["cutOffBox", "collectSwitch", "btn_trim_reset"]
            for (const on of [false, true]) {
                config.enableTrim = on
                for (const name of rows) {
                    let item = child(page, name)
                    if (item.parent && item.parent.objectName === "" && name !== "btn_trim_reset")
                        item = item.parent.parent
                    compare(item.visible, on, name)
                }
                config.enableRectify = on
                compare(child(page, "rectifySwitch").parent.visible, on)
                compare(child(page, "btn_rectify_reset").visible, on)
            }
        }

        // The take-up switch and the web-guide switch write the store and
        // keep following it.
        function test_switches() {
            config.trim = false
            config.rectify = false
            const page = makePage()
            const sw = child(page, "collectSwitch")
            mousePress(sw)
            mouseRelease(sw)
            verify(config.trim)
            compare(child(sw, "knob").x, 0)
            config.trim = false
            compare(sw.trim, false)
            compare(child(sw, "knob").x, sw.width / 2)
            const rectify = child(page, "rectifySwitch")
            compare(rectify.text, "关")
            mouseClick(rectify)
            verify(config.rectify)
            compare(rectify.text, "开")
            config.rectify = false
            compare(rectify.checked, false)
        }

        // From the task tab: a double click on its frame opens the page, back
        // closes it; a page closed while its rewind button is held lets go.
        function test_fromTaskTab() {
            const tab = createTemporaryObject(taskTabComponent, root)
            verify(tab)
            const stack = child(tab, "stack_view")
            const back = child(tab, "backButton")
            compare(back.visible, false)
            mouseDoubleClickSequence(child(tab, "deviceCell"))
            tryCompare(stack, "depth", 2)
            tryCompare(stack, "busy", false)
            verify(back.visible)
            const page = stack.currentItem
            verify(findChild(page, "cutModelBox"))
            mousePress(child(page, "autoRollArea"), 18, 18)
            verify(config.autoRoll)
            back.clicked()
            tryCompare(stack, "depth", 1)
            tryVerify(function() { return !config.autoRoll }, 5000)
            mouseRelease(root, 5, 5)
            compare(back.visible, false)
        }

        function test_layout() {
            const page = makePage()
            compare(child(page, "deviceFrame").width, page.width - 400)
            compare(child(page, "right_panel").width, 400)
            for (const name of ["btn_rectify_reset", "btn_trim_reset", "btn_reset", "btn_save_reset"]) {
                compare(child(page, name).width, 175)
                compare(child(page, name).height, 40)
            }
            const picker = child(page, "cutModelBox")
            picker.mod = 7
            compare(child(page, "modText").text, "速度优先")
        }
    }
}
