import QtQuick
import QtTest
import Dravolinte2024
import ORUN_Config

// The start popup: its editors follow the cut options at once, the resets
// show while pending, the buttons act on the press, and closing starts nothing.
Item {
    id: root
    width: 1280
    height: 800

    // The popup's parent, as the task tab is: a press outside it closes the popup.
    Item {
        id: host
        x: 1180
        y: 700
        width: 100
        height: 100
    }

    Component {
        id: popupComponent
        TaskStartPopup {}
    }

    TestCase {
        name: "TaskStartPopup"
        when: windowShown

        property var saved: ({})

        function initTestCase() {
            for (const key of ["enableCut", "knifeNum", "enableRectify", "rectifyReset", "trim", "trimReset"])
                saved[key] = config[key]
            config.setProperty(ORUN_Config.CPT_wait_TcpRet_Msecs, 2000)
            verify(simulator.start([]))
        }
        function cleanupTestCase() {
            simulator.stop()
            for (const key in saved)
                config[key] = saved[key]
        }
        function make() {
            const popup = createTemporaryObject(popupComponent, host)
            verify(popup)
            popup.open()
            tryCompare(popup, "opened", true)
            return popup
        }
        function item(popup, name) {
            const found = findChild(popup.contentItem, name)
            verify(found, name)
            return found
        }
        function shown(popup) {
            return ["cutEnable", "cutInverse", "cutMarkerType", "pltDir"].filter(function(name) {
                return item(popup, name).visible
            })
        }

        function test_editorsFollowOptions() {
            config.knifeNum = 1
            config.setProperty(ORUN_Config.CPT_Enable_Cut_Marker_Type, 1)
            config.setProperty(ORUN_Config.CPT_Enable_Cut, false)
            const popup = make()
            compare(shown(popup), ["cutEnable"])
            mouseClick(item(popup, "cutEnable"))
            compare(config.getProperty(ORUN_Config.CPT_Enable_Cut), true)
            compare(shown(popup), ["cutEnable", "cutInverse", "cutMarkerType", "pltDir"])
            config.setProperty(ORUN_Config.CPT_Enable_Cut_Marker_Type, 0)
            compare(shown(popup), ["cutEnable", "cutInverse", "cutMarkerType"])
            config.knifeNum = 2
            config.setProperty(ORUN_Config.CPT_Enable_Cut_Marker_Type, 0)
            compare(shown(popup), ["cutEnable", "cutMarkerType"])
            config.knifeNum = 1
        }

        function test_resetButtons_data() {
            return [
                { tag: "both pending", rectify: true, rectifyReset: false, trim: true, trimReset: false,
                  buttons: ["btn_rectify_reset", "btn_trim_reset", "btn_recount", "btn_start"] },
                { tag: "none pending", rectify: true, rectifyReset: true, trim: true, trimReset: true,
                  buttons: ["btn_recount", "btn_start"] },
                { tag: "units off", rectify: false, rectifyReset: false, trim: false, trimReset: false,
                  buttons: ["btn_recount", "btn_start"] },
            ]
        }
        function test_resetButtons(data) {
            config.enableRectify = data.rectify
            config.rectifyReset = data.rectifyReset
            config.trim = data.trim
            config.trimReset = data.trimReset
            const popup = make()
            const column = item(popup, "buttons")
            const visible = []
            for (let i = 0; i < column.children.length; ++i) {
                if (column.children[i].visible)
                    visible.push(column.children[i].objectName)
            }
            compare(visible, data.buttons)
        }

        // The resets and the recount act on the press and leave the popup open.
        function test_pressActions() {
            config.enableRectify = true
            config.rectifyReset = false
            config.trim = true
            config.trimReset = false
            const popup = make()
            let n = simulator.commands().length
            mousePress(item(popup, "btn_trim_reset"))
            verify(simulator.waitForCommand("2,3,1;"))
            mouseRelease(item(popup, "btn_trim_reset"))
            mousePress(item(popup, "btn_rectify_reset"))
            verify(simulator.waitForCommand("2,0,4;"))
            mouseRelease(item(popup, "btn_rectify_reset"))
            app.cutCopies = 5
            mousePress(item(popup, "btn_recount"))
            compare(app.cutCopies, 0)
            mouseRelease(item(popup, "btn_recount"))
            verify(popup.opened)
        }

        // X, Escape and a press outside start nothing.
        function test_closeStartsNothing() {
            for (const how of ["mark", "escape", "outside"]) {
                const popup = make()
                const n = simulator.commands().length
                if (how === "mark")
                    mousePress(item(popup, "closeMark"))
                else if (how === "escape")
                    keyClick(Qt.Key_Escape)
                else
                    mousePress(root, 5, 5)
                tryCompare(popup, "visible", false)
                if (how === "outside")
                    mouseRelease(root, 5, 5)
                compare(app.taskStatus, 2)
                compare(simulator.commands().slice(n).filter(function(c) { return c.startsWith("6,") }), [])
            }
        }
    }
}
