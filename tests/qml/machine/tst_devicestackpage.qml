import QtQuick
import QtTest
import Dravolinte2024
import ORUN_Config

// The home page with the simulated controller: the identity and board rows,
// the block of columns by width, the machine picture, the controller chooser
// with announced controllers, the counters, the refusals while a task
// exists, the update section and the about box.
Item {
    id: root
    width: 1280
    height: 800

    Component {
        id: pageComponent
        DeviceStackPage { width: 1280; height: 800 }
    }

    TestCase {
        name: "DeviceStackPage"
        when: windowShown

        readonly property string chosenId: "SM07x5CHOOSE" + (Date.now() % 100000)
        property string startIdent

        function initTestCase() {
            startIdent = config.ident
            config.setProperty(ORUN_Config.CPT_wait_TcpRet_Msecs, 2000)
            config.version = ORUN_Config.VT_7x5
        }
        function cleanupTestCase() {
            simulator.stop()
        }
        function init() {
            app.taskStatus = 2
            notices.clear()
        }
        function makePage(width) {
            const page = createTemporaryObject(pageComponent, root, { width: width || 1280 })
            verify(page)
            return page
        }
        function child(item, name) {
            const found = findChild(item, name)
            verify(found, name)
            return found
        }
        function rowTexts(row) {
            const texts = []
            for (let i = 0; i < row.children.length; ++i)
                texts.push(row.children[i].text)
            return texts
        }
        function tipShown(page, text) {
            const tip = child(page, "tipDlg")
            tryCompare(tip, "opened", true)
            compare(tip.text, text)
            tip.close()
            tryCompare(tip, "visible", false)
        }

        // Rows and their values as the controller of modules reports them.
        function test_boardRows() {
            verify(simulator.start(["--personality", "module"]))
            const page = makePage()
            compare(rowTexts(child(page, "deviceRow")), ["device id : ", device.devId, "firmware : ", device.firmware])
            compare(rowTexts(child(page, "controlRow")), ["pcb id: ", device.pcbId, "pcb ver : ", "HC1.2"])
            compare(rowTexts(child(page, "driverRow")), ["drirver id : ", "HD1.1", "drirver ver : ", "V2.0.4"])
            compare(rowTexts(child(page, "sensorRow")), ["sensor : ", "HS1.0", "sensor ver : ", "V1.5.0"])
            compare(rowTexts(child(page, "trimRow")), ["trim : ", "HT1.0", "trim ver : ", "V1.1.2"])
            compare(child(page, "deviceRow").width, 350)
            compare(child(child(page, "identityLine"), "ipText").text, device.ip)
            compare(child(child(page, "identityLine"), "devTypeText").text, "07x5")
        }

        // n = floor(W / 360) columns, at least one: width, height and place.
        function test_versionBlock_data() {
            return [
                { tag: "680", panel: 680, width: 360, height: 155, x: 160 },
                { tag: "1500", panel: 1500, width: 1440, height: 80, x: 30 },
                { tag: "300", panel: 300, width: 360, height: 155, x: 40 },
            ]
        }
        function test_versionBlock(data) {
            const page = makePage(data.panel + 400)
            const block = child(page, "rect_version")
            compare(child(page, "left_panel").width, data.panel)
            compare(block.width, data.width)
            compare(block.height, data.height)
            compare(block.x, data.x)
            compare(block.y + block.height, page.height - 40)
        }

        function test_picture_data() {
            return [
                { tag: "7x3", version: ORUN_Config.VT_7x3, source: "file:Dravolinte/res/bqj.png" },
                { tag: "7x4", version: ORUN_Config.VT_7x4, source: "file:Dravolinte/res/bqj2.png" },
                { tag: "7x5", version: ORUN_Config.VT_7x5, source: "file:Dravolinte/res/bqj3.svg" },
                { tag: "7x6", version: ORUN_Config.VT_7x6, source: "file:Dravolinte/res/bqj3.svg" },
                { tag: "7x7", version: ORUN_Config.VT_7x7, source: "file:Dravolinte/res/bqj4.svg" },
                { tag: "7x8", version: ORUN_Config.VT_7x8, source: "file:Dravolinte/res/bqj5.svg" },
                { tag: "unknown", version: ORUN_Config.VT_UNKNOWN, source: "" },
            ]
        }
        function test_picture(data) {
            const page = makePage()
            const picture = child(page, "name")
            config.version = data.version
            compare(picture.source.toString(), data.source)
            if (data.source !== "")
                tryCompare(picture, "status", Image.Ready)
            config.version = ORUN_Config.VT_7x5
        }

        // The list is read on every click and toggles; an entry sets the
        // driver, then the store, and the new controller is linked when it
        // announces itself.
        function test_chooser() {
            verify(simulator.start(["--announce-interval", "100", "--id", chosenId]))
            const page = makePage()
            const button = child(page, "btn_dev")
            const popup = child(page, "popup")
            tryVerify(function() { return app.onlineDevices().indexOf(chosenId) >= 0 }, 10000)
            mouseClick(button)
            tryCompare(popup, "opened", true)
            verify(popup.devices.indexOf(chosenId) >= 0)
            mouseClick(button)
            tryCompare(popup, "visible", false)
            mouseClick(button)
            tryCompare(popup, "opened", true)
            const list = child(popup.contentItem, "col")
            list.positionViewAtIndex(popup.devices.indexOf(chosenId), 0)
            const entry = findChild(list, "device_" + chosenId)
            verify(entry)
            const reads = simulator.commands().filter(function(c) { return c === "1,0,0,0,0,0;" }).length
            mousePress(entry)
            tryCompare(popup, "visible", false)
            compare(device.ident, chosenId)
            compare(config.ident, chosenId)
            compare(button.text, chosenId)
            tryVerify(function() {
                return simulator.commands().filter(function(c) { return c === "1,0,0,0,0,0;" }).length > reads
            }, 15000)
            tryCompare(device, "ip", simulator.address(), 10000)
            simulator.stop()
            device.ident = startIdent
            config.ident = startIdent
        }

        // A long list scrolls within the panel; a long name is cut short.
        function test_longNames() {
            const page = makePage()
            const popup = child(page, "popup")
            const names = []
            for (let i = 0; i < 200; ++i)
                names.push("SM07x5" + String(i).padStart(4, "0"))
            popup.devices = names
            popup.open()
            tryCompare(popup, "opened", true)
            const list = child(popup.contentItem, "col")
            verify(popup.y + popup.height <= page.height)
            verify(list.contentHeight > list.height)
            list.positionViewAtEnd()
            verify(findChild(list, "device_SM07x50199"))
            popup.close()

            device.ident = "X".repeat(200)
            const button = child(page, "btn_dev")
            verify(button.contentItem.truncated)
            verify(child(child(page, "identityLine"), "identText").width <= child(page, "rect_version").width / 2)
            device.ident = startIdent
        }

        function test_counters() {
            const page = makePage()
            config.todayCut = 12.3
            config.todayPrint = 0
            config.todayScanMark = 7
            config.todayScanMarkOk = 5
            config.totalCut = 1234.567
            const today = child(page, "todayCounters")
            compare(child(today, "cutText").text, "切割 ： 12.30 m")
            compare(child(today, "printText").text, "打印 ：0.00 m")
            compare(child(today, "scanText").text, "扫点 ： 7 成功 5")
            compare(child(child(page, "totalCounters"), "cutText").text, "切割 ： 1234.57 m")
        }

        // Another controller and the update wait for the task; the settings
        // only for a running one.
        function test_midTask_data() {
            return [{ tag: "running", status: 1, settings: false },
                    { tag: "paused", status: 0, settings: true }]
        }
        function test_midTask(data) {
            const page = makePage()
            app.taskStatus = data.status
            mouseClick(child(page, "settingButton"))
            if (data.settings) {
                tryCompare(child(page, "setting_page"), "opened", true)
                child(page, "setting_page").close()
                tryCompare(child(page, "setting_page"), "visible", false)
                compare(child(page, "tipDlg").visible, false)
            } else {
                tipShown(page, "任务运行中不可设置")
                compare(child(page, "setting_page").visible, false)
            }
            const ident = device.ident
            child(page, "right_panel").choose("SM07x5OTHER")
            tipShown(page, "任务运行中不可设置")
            compare(device.ident, ident)
            compare(config.ident, ident)
            mouseClick(child(page, "checkButton"))
            tipShown(page, "任务运行中不可设置")
            app.taskStatus = 2
            mouseClick(child(page, "settingButton"))
            tryCompare(child(page, "setting_page"), "opened", true)
            child(page, "setting_page").close()
        }

        // Not while the controller's firmware is being written.
        function test_checkUpdateMidUpgrade() {
            verify(simulator.start())
            const page = makePage()
            simulator.control("now progress 42")
            tryVerify(function() { return device.upgrading }, 10000)
            mouseClick(child(page, "checkButton"))
            tipShown(page, "请等待升级结束")
            simulator.control("now progress 100")
            tryVerify(function() { return !device.upgrading }, 10000)
        }

        function test_updateSection() {
            const page = makePage()
            verify(/^生成日期 ：20\d\d-[1-9]\d?-[1-9]\d?$/.test(child(page, "buildDate").text))
            compare(child(page, "versionText").text, "版本 ：Dravolinte 2024 V" + app.version)
            mouseClick(child(page, "aboutButton"))
            const about = child(page, "aboutPop")
            tryCompare(about, "opened", true)
            verify(about.text.indexOf(app.version) >= 0)
            compare(about.width, 600)
            compare(about.height, 200)
            about.close()
            tryCompare(about, "visible", false)
            const language = child(page, "languageBox")
            compare(language.mod, config.language)
            language.pick(1)
            compare(config.language, 1)
            language.pick(0)
            compare(config.language, 0)
        }
    }
}
