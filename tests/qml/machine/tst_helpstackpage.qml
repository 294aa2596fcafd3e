import QtQuick
import QtTest
import Dravolinte2024
import ORUN_Config

// The firmware-update page with the simulated controller: the module list,
// the connection choice, the file, the update frame, the progress and when
// the update button may be pressed; files that are no firmware.
Item {
    id: root
    width: 1280
    height: 800

    Component {
        id: pageComponent
        HelpStackPage { width: 1280; height: 800 }
    }

    TestCase {
        name: "HelpStackPage"
        when: windowShown

        function initTestCase() {
            config.setProperty(ORUN_Config.CPT_wait_TcpRet_Msecs, 2000)
            verify(simulator.start(["--personality", "module"]))
        }
        function cleanupTestCase() {
            simulator.stop()
        }
        function init() {
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
        function chooseFile(page, path) {
            const dialog = child(page, "fileDialog")
            dialog.selectedFile = app.fileUrl(path)
            dialog.open()
            tryCompare(dialog, "visible", true)
            dialog.accept()
            tryCompare(dialog, "visible", false)
            compare(device.updateFile, app.localPath(app.fileUrl(path)))
        }
        function finish() {
            simulator.control("now progress 100")
            tryVerify(function() { return !device.upgrading }, 10000)
        }

        // One row per module; the row picked is the module updated.
        function test_modules() {
            const page = makePage()
            const list = child(page, "comboBox")
            compare(list.count, config.getModules().length)
            compare(list.currentIndex, 0)
            compare(device.index, config.getModules()[0])
            compare(list.currentText, config.getModuleName()[0])
            list.currentIndex = 2
            compare(device.index, config.getModules()[2])
        }

        function test_connection() {
            const page = makePage()
            const api = child(page, "comboBoxApi")
            compare(api.currentText, "TCP")
            verify(child(page, "btn_update_file").visible && child(page, "btn_update_tip").visible)
            api.currentIndex = 0
            compare(child(page, "btn_update_file").visible, false)
            compare(child(page, "btn_update_tip").visible, false)
            verify(child(page, "btn_update").visible)
        }

        // "UPG;2;" and the file, once; the button waits from the press to
        // the end; 42 then 100; a report above 100 is done, shown as 100.
        function test_update() {
            const page = makePage()
            const button = child(page, "btn_update")
            child(page, "comboBox").currentIndex = 2
            chooseFile(page, "Dravolinte/res/circle.svg")
            compare(child(page, "btn_update_file").text, device.updateFile)
            verify(button.enabled)
            const before = simulator.upgrades().length
            mouseClick(button)
            compare(button.enabled, false)
            tryVerify(function() { return simulator.upgrades().length === before + 1 }, 10000)
            const body = simulator.upgrades()[before]
            verify(body.startsWith("UPG;2;<svg "), body.substring(0, 20))
            verify(body.endsWith("</svg>\n"))
            simulator.control("now progress 42")
            tryCompare(child(page, "percentText"), "text", "42%", 10000)
            compare(child(page, "progressBar").value, 42)
            compare(button.enabled, false)
            simulator.control("now send UPG;1,0,abc;")
            simulator.control("now progress 99.5")
            tryCompare(child(page, "percentText"), "text", "100%", 10000)
            compare(device.updateProgress, 99.5)
            compare(button.enabled, false)
            simulator.control("now progress 100")
            tryCompare(button, "enabled", true, 10000)

            mouseClick(button)
            compare(button.enabled, false)
            simulator.control("now progress 150")
            tryCompare(button, "enabled", true, 10000)
            compare(child(page, "percentText").text, "100%")
            compare(child(page, "progressBar").value, 100)
            tryVerify(function() { return simulator.upgrades().length === before + 2 }, 10000)
        }

        // The transport is always the controller link: with USB the last
        // file still goes.
        function test_usbStillSends() {
            const page = makePage()
            chooseFile(page, "Dravolinte/res/roll.svg")
            child(page, "comboBoxApi").currentIndex = 0
            const before = simulator.upgrades().length
            mouseClick(child(page, "btn_update"))
            tryVerify(function() { return simulator.upgrades().length === before + 1 }, 10000)
            finish()
        }

        // No firmware file: told, nothing sent, the button stays usable.
        function test_noFirmware_data() {
            return [
                { tag: "missing", file: "nothere.bin", message: "无法读取固件文件：nothere.bin" },
                { tag: "folder", file: "Dravolinte/res", message: "无法读取固件文件：Dravolinte/res" },
            ]
        }
        function test_noFirmware(data) {
            const page = makePage()
            device.updateFile = data.file
            const before = simulator.upgrades().length
            mouseClick(child(page, "btn_update"))
            compare(device.errorMessage, data.message)
            verify(child(page, "btn_update").enabled)
            // Anything sent would have reached the controller before this reply.
            verify(device.wCutModel(device.cutModel))
            compare(simulator.upgrades().length, before)
        }

        function test_midTask_data() {
            return [{ tag: "running", status: 1 }, { tag: "paused", status: 0 }]
        }
        function test_midTask(data) {
            const page = makePage()
            app.taskStatus = data.status
            compare(child(page, "btn_update").enabled, false)
            app.taskStatus = 2
            verify(child(page, "btn_update").enabled)
        }

        // The identity and the picture follow the driver and the version.
        function test_identity() {
            const page = makePage()
            compare(child(page, "identText").text, device.ident)
            compare(child(page, "ipText").text, device.ip)
            config.version = ORUN_Config.VT_7x4
            compare(child(page, "deviceLogo").source.toString(), "file:Dravolinte/res/bqj2.png")
            config.version = ORUN_Config.VT_UNKNOWN
            compare(child(page, "deviceLogo").source.toString(), "")
        }
    }
}
