import QtQuick
import QtTest
import Dravolinte2024
import ORUN_Config

// The video page with the simulated controller: what the jogs send and
// stop (also when the page goes while one is held), the lights sent when it
// opens, the offsets and pressure that are sent only when they change (the
// offsets kept only once the controller accepts them), the
// scale correction, the copies per print within the parameter's range, the
// knives and the recognition of the shown camera.
Item {
    id: root
    width: 1280
    height: 800

    RCamera {
        id: testCamera
    }

    Component {
        id: pageComponent
        VideoPage { width: 1280; height: 800; camera: testCamera }
    }
    Component {
        id: tabComponent
        TaskStackPage { width: 1280; height: 800 }
    }

    SignalSpy {
        id: captures
        target: testCamera
        signalName: "capture"
    }

    TestCase {
        name: "VideoPage"
        when: windowShown

        property var saved: ({})

        function initTestCase() {
            for (const key of ["showCamera", "enableDetection", "usedQMLCamera", "cutCoordinates", "trim", "knifeNum",
                               "markLight", "checkLight", "checkBKLight", "filmRollerLimit", "filmRollerMax",
                               "collectRollerLimit", "collectRollerMax"])
                saved[key] = config[key]
            config.setProperty(ORUN_Config.CPT_wait_TcpRet_Msecs, 2000)
            // The rollers within their bounds: no limit keeps a jog from moving.
            config.filmRollerLimit = 1
            config.filmRollerMax = 1000
            config.collectRollerLimit = 1
            config.collectRollerMax = 1000
            verify(simulator.start(["--set", "pressure1=222"]))
            tryVerify(function() { return (device.deviceState & 0x78) === 0 }, 10000)
        }
        function cleanupTestCase() {
            simulator.stop()
            for (const key in saved)
                config[key] = saved[key]
        }
        function init() {
            config.enableDetection = true
            config.showCamera = 0
            config.cutCoordinates = 0
            config.markLight = 0
            config.checkLight = 0
            config.checkBKLight = 0
            config.knifeNum = 1
            app.taskStatus = 2
            device.errorMessage = ""
        }
        function cleanup() {
            app.taskStatus = 2
            config.autoRoll = false
        }
        function make() {
            const page = createTemporaryObject(pageComponent, root)
            verify(page)
            return page
        }
        function child(item, name) {
            const found = findChild(item, name)
            verify(found, name)
            return found
        }
        function mark() {
            root.forceActiveFocus()
            return simulator.commands().length
        }
        function sentSince(count, prefix) {
            return simulator.commands().slice(count).filter(function(c) { return c.startsWith(prefix) })
        }
        function typeInto(box, text) {
            const input = findChild(box, "textInput")
            input.forceActiveFocus()
            input.selectAll()
            for (const c of text)
                keyClick(c)
            keyClick(Qt.Key_Return)
        }

        function test_jogs_data() {
            return [
                { tag: "left, mark camera", button: "jogLeft", show: 0, press: ["15,-1,0;"], release: ["15,0,0;"] },
                { tag: "right", button: "jogRight", show: 0, press: ["15,1,0;"], release: ["15,0,0;"] },
                { tag: "up", button: "jogUp", show: 0, press: ["15,0,-1;"], release: ["15,0,0;"] },
                { tag: "up, coordinates turned", button: "jogUp", show: 0, coordinates: 1,
                  press: ["15,0,1;"], release: ["15,0,0;"] },
                { tag: "down", button: "jogDown", show: 0, press: ["15,0,1;"], release: ["15,0,0;"] },
                { tag: "left, check camera, trim", button: "jogLeft", show: 1, trim: true,
                  press: ["20,1,3,0,30,10000;", "20,1,4,0,35,10000;"], release: ["20,1,3,0,0,0;", "20,1,4,0,0,0;"] },
                { tag: "left, check camera", button: "jogLeft", show: 1, trim: false,
                  press: ["20,1,3,0,50,10000;"], release: ["20,1,3,0,0,0;"] },
            ]
        }
        // The frames since count for the axes or motors that frames drive
        // (command 20 names its motor in its third field). The roller poller
        // drives the feed and film motors on its own time whatever the jog
        // does; the rewind and trim motors it leaves alone while no task runs
        // with the label check on and the rollers within their bounds.
        function framesFor(count, frames) {
            const head = function(c) { return c.split(",").slice(0, c.startsWith("20,") ? 3 : 1).join(",") }
            const heads = frames.map(head)
            return simulator.commands().slice(count).filter(function(c) { return heads.indexOf(head(c)) >= 0 })
        }
        function test_jogs(data) {
            config.showCamera = data.show
            config.cutCoordinates = data.coordinates || 0
            config.trim = data.trim || false
            const page = make()
            const button = child(page, data.button)
            let n = mark()
            mousePress(button)
            for (const c of data.press)
                verify(simulator.waitForCommand(c))
            compare(framesFor(n, data.press), data.press)
            n = simulator.commands().length
            mouseRelease(button)
            compare(framesFor(n, data.release), data.release)
        }

        // A release stops what the press started, though the tab changed meanwhile.
        function test_releaseStopsWhatPressStarted() {
            const page = make()
            const left = child(page, "jogLeft")
            const n = mark()
            mousePress(left)
            config.showCamera = 1
            verify(left.enabled)
            mouseRelease(left)
            compare(sentSince(n, "15,"), ["15,-1,0;", "15,0,0;"])
            compare(sentSince(n, "20,1,3"), [])
        }

        // A press that ends without a release (the button disabled under the
        // finger when a task starts) stops like a release.
        function test_cancelledPressStops() {
            const page = make()
            const left = child(page, "jogLeft")
            const n = mark()
            mousePress(left)
            app.taskStatus = 1
            compare(left.enabled, false)
            tryVerify(function() { return sentSince(n, "15,").length === 2 })
            compare(sentSince(n, "15,"), ["15,-1,0;", "15,0,0;"])
            mouseRelease(left)
            compare(sentSince(n, "15,").length, 2)
        }

        // The page going while a jog or the rewind is held stops it, on the
        // transcript: -1, then 0.
        function test_popWhileHeld_data() {
            return [{ tag: "jog", button: "jogLeft" }, { tag: "rewind", button: "btn_roll" }]
        }
        function test_popWhileHeld(data) {
            const tab = createTemporaryObject(tabComponent, root)
            verify(tab)
            const stack = child(tab, "stack_view")
            tab.open("video")
            tryCompare(stack, "busy", false)
            const n = mark()
            mousePress(child(stack.currentItem, data.button))
            if (data.button === "btn_roll")
                verify(config.autoRoll)
            child(tab, "backButton").clicked()
            tryCompare(stack, "depth", 1)
            if (data.button === "btn_roll") {
                tryVerify(function() { return !config.autoRoll })
            } else {
                tryCompare(stack, "busy", false)
                tryVerify(function() { return sentSince(n, "15,").length === 2 })
                compare(sentSince(n, "15,"), ["15,-1,0;", "15,0,0;"])
            }
            mouseRelease(root, 5, 5)
        }

        // Jogs only while no task exists; the tests stay.
        function test_jogsWaitForNoTask() {
            const page = make()
            for (const status of [0, 1]) {
                app.taskStatus = status
                for (const name of ["jogUp", "jogDown", "jogLeft", "jogRight"])
                    compare(child(page, name).enabled, false, name)
                verify(child(page, "btn_test_pressure").enabled)
            }
            app.taskStatus = 2
            verify(child(page, "jogLeft").enabled)
            config.showCamera = 1
            compare(child(page, "jogRight").enabled, false)
            verify(child(page, "jogLeft").enabled)
        }

        // Stored levels other than 0 go out when the page opens, the hidden
        // camera's too; a level beyond its slider goes out at the bound and
        // stays stored.
        function test_lightsAtOpen_data() {
            return [
                { tag: "all off", mark: 0, top: 0, bottom: 0, sent: [] },
                { tag: "top light", mark: 0, top: 60, bottom: 0, sent: ["13,1,2,60,0,0;"] },
                { tag: "all", mark: 20, top: 30, bottom: 40,
                  sent: ["13,1,0,20,0,0;", "13,1,2,30,0,0;", "13,1,1,40,0,0;"] },
                { tag: "beyond", mark: 300, top: 0, bottom: 0, sent: ["13,1,0,255,0,0;"] },
            ]
        }
        function test_lightsAtOpen(data) {
            config.markLight = data.mark
            config.checkLight = data.top
            config.checkBKLight = data.bottom
            const n = mark()
            make()
            compare(sentSince(n, "13,"), data.sent)
            compare(config.markLight, data.mark)
        }

        // A slider moved by the operator sends its whole level and stores it.
        function test_lightSlider() {
            const page = make()
            const slider = child(child(page, "markLightRow"), "slider")
            const n = mark()
            slider.value = 100.4
            compare(sentSince(n, "13,"), ["13,1,0,100,0,0;"])
            compare(config.markLight, 100)
            slider.value = 100.2
            compare(sentSince(n, "13,").length, 1)
        }

        // Offsets and pressure equal to the stored ones send nothing.
        function test_offsetsAndPressure() {
            const page = make()
            config.markCameraOffsetX = 1.5
            config.markCameraOffsetY = -2
            let n = mark()
            typeInto(child(page, "offsetXBox"), "1.5")
            typeInto(child(page, "offsetYBox"), "-2")
            compare(sentSince(n, "8,"), [])
            typeInto(child(page, "offsetXBox"), "3.25")
            compare(sentSince(n, "8,"), ["8,1,1,3.25,-2.00;"])
            compare(config.markCameraOffsetX, 3.25)
            n = mark()
            typeInto(child(page, "pressureBox"), String(device.pressure))
            compare(sentSince(n, "7,"), [])
            typeInto(child(page, "pressureBox"), "300")
            compare(sentSince(n, "7,"), ["7,1,0,300;"])
            compare(device.pressure, 300)
        }

        // An offset the controller refuses is told and not kept; the kept
        // one shows again.
        function test_offsetRefused() {
            const page = make()
            config.markCameraOffsetX = 1.5
            const box = child(page, "offsetXBox")
            verify(simulator.control("on 8 status 1 count 1"))
            const n = mark()
            typeInto(box, "33")
            compare(sentSince(n, "8,").length, 1)
            compare(device.errorMessage, "摄像头偏移设置失败，请检查设备")
            compare(config.markCameraOffsetX, 1.5)
            compare(box.real_value, 1.5)
        }

        // "设置" sends 100 / X and 100 / Y, then shows 100 again.
        function test_scale() {
            const page = make()
            const x = child(page, "scaleXBox")
            typeInto(x, "99.5")
            const panel = child(page, "right_panel")
            panel.contentY = panel.contentHeight - panel.height
            const n = mark()
            mouseClick(child(page, "btn_scale"))
            compare(sentSince(n, "9,"), ["9,1,1.0050,1.0000;"])
            compare(x.real_value, 100)
            compare(child(page, "scaleYBox").real_value, 100)
        }

        // Copies per print: 1 to 9999 as the parameter; a stored value beyond
        // shows at the bound and is not written back; changes elsewhere show.
        function test_copiesOnce() {
            config.enablePrint = true
            config.setProperty(ORUN_Config.CPT_printCopiesOnce, 0)
            const page = make()
            const box = child(page, "copiesOnceBox")
            compare(box.value, 1)
            compare(config.getProperty(ORUN_Config.CPT_printCopiesOnce), 0)
            config.setProperty(ORUN_Config.CPT_printCopiesOnce, 20000)
            compare(box.value, 9999)
            config.setProperty(ORUN_Config.CPT_printCopiesOnce, 12)
            compare(box.value, 12)
            typeInto(box, "3")
            compare(config.getProperty(ORUN_Config.CPT_printCopiesOnce), 3)
        }

        // Knife 1 on every opening; with two knives the second hides X and
        // the calibration, and Y goes out for knife 2.
        function test_knives() {
            config.knifeNum = 1
            config.knifeNo = 1
            let page = make()
            compare(child(page, "knifeRow").visible, false)
            compare(config.knifeNo, 0)
            config.knifeNum = 0
            config.knifeNo = 1
            page = make()
            compare(config.knifeNo, 1)
            config.knifeNum = 2
            page = make()
            compare(config.knifeNo, 0)
            verify(child(page, "knifeRow").visible)
            child(page, "knifeBox").currentIndex = 1
            compare(config.knifeNo, 1)
            compare(child(page, "offsetXRow").visible, false)
            verify(child(page, "offsetXSpacer").visible)
            compare(child(page, "btn_calibrate").enabled, false)
            const x = config.markCameraOffsetX
            const n = mark()
            typeInto(child(page, "offsetYBox"), "4.5")
            compare(sentSince(n, "8,"), ["8,1,2," + x.toFixed(2) + ",4.50;"])
            child(page, "knifeBox").currentIndex = 0
        }

        // The mark camera through the camera object always; the check camera
        // through it or, from the industrial camera, through the application.
        function test_recognize_data() {
            return [
                { tag: "mark, industrial", show: 0, qml: false, asked: [1] },
                { tag: "check, QML", show: 1, qml: true, asked: [2] },
                { tag: "check, industrial", show: 1, qml: false, asked: [] },
            ]
        }
        function test_recognize(data) {
            config.setProperty(ORUN_Config.CPT_Wait_Capture, 100)
            config.showCamera = data.show
            config.usedQMLCamera = data.qml
            const page = make()
            captures.clear()
            mouseClick(child(page, "btn_recognize"))
            compare(captures.count, data.asked.length)
            if (data.asked.length > 0)
                compare(captures.signalArguments[0][0], data.asked[0])
            config.usedQMLCamera = true
        }

        function test_markSize() {
            config.markSize = 5.0
            compare(child(make(), "markSizeBox").displayText, "5.0")
            config.markSize = 4.2
            compare(child(make(), "markSizeBox").displayText, "3.5")
            compare(config.markSize, 4.2)
            config.markSize = 3.5
        }
    }
}
