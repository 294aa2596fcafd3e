import QtQuick
import QtTest
import Dravolinte2024
import ORUN_Config

// The task tab with the simulated controller: the header's play, stop and
// back driving a task, the no-cut speed, the copies presets, the hidden file
// dialog, the error popup and the cut-file page's window around the popups.
Item {
    id: root
    width: 1280
    height: 800

    Component {
        id: tabComponent
        TaskStackPage { width: 1280; height: 800 }
    }

    SignalSpy {
        id: openings
        signalName: "opened"
    }

    TestCase {
        name: "TaskStackPage"
        when: windowShown

        property var saved: ({})

        function initTestCase() {
            for (const key of ["enableCut", "enablePrint", "enableRectify", "trim", "enableDetection"])
                saved[key] = config[key]
            config.setProperty(ORUN_Config.CPT_wait_TcpRet_Msecs, 2000)
            verify(simulator.start([]))
        }
        function cleanupTestCase() {
            simulator.stop()
            for (const key in saved)
                config[key] = saved[key]
        }
        function init() {
            config.enableCut = true
            config.enablePrint = true
            config.enableDetection = false // the cut files here have no page picture to check labels against
            device.errorMessage = ""
        }
        function cleanup() {
            if (app.taskStatus !== 2) {
                app.stopTask(true)
                tryCompare(app, "taskStatus", 2, 10000)
            }
            device.errorMessage = ""
        }
        function makeTab() {
            const tab = createTemporaryObject(tabComponent, root)
            verify(tab)
            tryCompare(child(tab, "stack_view"), "depth", 1)
            return tab
        }
        function child(item, name) {
            const found = findChild(item, name)
            verify(found, name)
            return found
        }
        function glyph(button) {
            return button.children[0].text
        }
        function pressButton(popup, name) {
            mousePress(child(popup.contentItem, name))
            mouseRelease(child(popup.contentItem, name))
        }

        // Play opens the start popup, which starts a task without cutting;
        // play then pauses and resumes it, stop ends it, each on the
        // controller; the glyph follows the status.
        function test_playStopOnSimulator() {
            config.enableCut = false
            config.enablePrint = false
            const tab = makeTab()
            const play = child(tab, "playButton")
            compare(glyph(play), "\uf04b")
            compare(String(play.children[0].color), String(Qt.rgba(0, 0.85, 0, 1)))
            mouseClick(play)
            const popup = child(tab, "task_popup")
            tryCompare(popup, "opened", true)
            compare(app.taskStatus, 2)
            let n = simulator.commands().length
            pressButton(popup, "btn_start")
            tryCompare(popup, "visible", false)
            tryCompare(app, "taskStatus", 1, 10000)
            compare(device.errorMessage, "")
            verify(simulator.waitForCommand("2,0,5;"))
            // The status is read at once; the page hears of it by a queued signal.
            tryVerify(function() { return glyph(play) === "\uf04c" })
            mouseClick(play)
            tryCompare(app, "taskStatus", 0, 10000)
            tryVerify(function() { return glyph(play) === "\uf144" })
            mouseClick(play)
            tryCompare(app, "taskStatus", 1, 10000)
            n = simulator.commands().length
            mouseClick(child(tab, "stopButton"))
            tryCompare(app, "taskStatus", 2, 10000)
            verify(simulator.waitForCommand("12,2;"))
            tryVerify(function() { return glyph(play) === "\uf04b" })
            // Stop in every state, also when stopped already.
            mouseClick(child(tab, "stopButton"))
            tryCompare(app, "taskStatus", 2, 10000)
        }

        // Unlinked, the start is refused and the reason shows in the error popup.
        function test_unlinkedStart() {
            config.enablePrint = false
            const tab = makeTab()
            simulator.stop()
            // The link's end is seen by the driver's reader in its time, and
            // the job it ended tells so in the error popup.
            tryVerify(function() {
                const allowed = app.isAllowedStart()
                device.errorMessage = ""
                return !allowed
            }, 10000)
            const errors = child(tab, "error_popup")
            tryVerify(function() {
                if (errors.opened)
                    errors.close()
                return !errors.visible
            }, 10000)
            mouseClick(child(tab, "playButton"))
            const popup = child(tab, "task_popup")
            tryCompare(popup, "opened", true)
            pressButton(popup, "btn_start")
            tryCompare(errors, "opened", true)
            verify(errors.text.indexOf("设备未连接，请重启设备或者选择设备 \n") >= 0, errors.text)
            compare(popup.visible, false)
            compare(app.taskStatus, 2)
            verify(simulator.start([]))
        }

        // Cutting without a cut file is refused before anything goes out.
        function test_startWithoutCutFile() {
            config.enablePrint = false
            config.setProperty(ORUN_Config.CPT_Enable_Cut_Marker_Type, 0)
            app.cutFile = fixtures.makeFile("空.plt", "") // nothing in it to cut
            device.errorMessage = ""
            const tab = makeTab()
            mouseClick(child(tab, "playButton"))
            const popup = child(tab, "task_popup")
            tryCompare(popup, "opened", true)
            const n = simulator.commands().length
            pressButton(popup, "btn_start")
            const errors = child(tab, "error_popup")
            tryCompare(errors, "opened", true)
            verify(errors.text.indexOf("切割文件未打开 \n") >= 0, errors.text)
            compare(app.taskStatus, 2)
            compare(simulator.commands().slice(n).filter(function(c) { return /^(2,0,5|12,)/.test(c) }), [])
            errors.close()
        }

        // Every non-empty error opens the popup, from the GUI thread or a
        // worker; the same text again opens it once; closing it clears it.
        function test_errorPopup() {
            const tab = makeTab()
            const errors = child(tab, "error_popup")
            openings.target = errors
            openings.clear()
            fixtures.setErrorOnWorker("工作线程的错误")
            tryCompare(errors, "opened", true)
            compare(errors.text, "工作线程的错误")
            fixtures.setErrorOnWorker("工作线程的错误")
            device.errorMessage = "工作线程的错误"
            compare(openings.count, 1)
            mousePress(child(errors.contentItem, "closeMark"))
            tryCompare(errors, "visible", false)
            compare(device.errorMessage, "")
            device.errorMessage = ""
            compare(openings.count, 1)
            device.errorMessage = "工作线程的错误"
            tryCompare(errors, "opened", true)
            compare(openings.count, 2)
            errors.close()
        }

        // The speed editor shows without cutting; an edit stores the
        // parameter, then sends the speed; a change elsewhere shows in it.
        function test_noCutSpeed() {
            config.enableCut = false
            const tab = makeTab()
            const box = child(tab, "cutSpeedSpinBox")
            verify(box.visible)
            compare(child(tab, "task_copies_cut").visible, false)
            const n = simulator.commands().length
            // The cut-file page's hosted view may have taken the activation.
            const win = root.Window.window
            win.requestActivate()
            tryVerify(function() { return win.active })
            const input = findChild(box, "textInput")
            input.forceActiveFocus()
            input.selectAll()
            for (const c of "120")
                keyClick(c)
            keyClick(Qt.Key_Return)
            compare(config.getProperty(ORUN_Config.CPT_NO_CUT_SPEED), 120)
            verify(simulator.commands().slice(n).indexOf("6,1,0,120;") >= 0)
            config.setProperty(ORUN_Config.CPT_NO_CUT_SPEED, 77)
            compare(box.value, 77)
            config.enableCut = true
            compare(box.visible, false)
            verify(child(tab, "task_copies_cut").visible)
        }

        // The presets: "自动" is -1, "0" is 0, the rest their number.
        function test_copiesPresets() {
            const tab = makeTab()
            const cut = child(tab, "task_copies_cut")
            const print = child(tab, "task_copies_print")
            compare(app.cutTaskCopies, 100)
            for (const [index, expected] of [[8, -1], [0, 0], [7, 1000]]) {
                mouseClick(cut)
                const popup = child(cut, "copiesPopup")
                tryCompare(popup, "opened", true)
                mousePress(child(popup.contentItem, "preset" + index))
                tryCompare(popup, "visible", false)
                compare(app.cutTaskCopies, expected)
            }
            compare(tab.cut_copies, "1000")
            mouseClick(print)
            mousePress(child(child(print, "copiesPopup").contentItem, "preset8"))
            compare(app.printTaskCopies, -1)
            compare(tab.print_copies, "自动")
            app.cutTaskCopies = 100
            app.printTaskCopies = 100
        }

        // A double click on "切割份数" or "打印份数" opens the file dialog in
        // its mode; the file reaches the application as an absolute path,
        // whatever its name; a cancel writes nothing.
        function test_fileDialog_data() {
            return [
                { tag: "cut, hash and space", cut: true, name: "a#1 b.plt" },
                { tag: "cut, Chinese upper case", cut: true, name: "切割 文件.PLT" },
                { tag: "print, hash", cut: false, name: "a#1 页.pdf" },
            ]
        }
        function test_fileDialog(data) {
            const tab = makeTab()
            const path = data.cut ? fixtures.makeFile(data.name) : fixtures.makePdf(data.name)
            verify(path !== "")
            const dialog = child(tab, "fileDialog")
            dialog.selectedFile = app.fileUrl(path)
            mouseDoubleClickSequence(child(tab, data.cut ? "cutCopiesLabel" : "printCopiesLabel"))
            tryCompare(dialog, "visible", true)
            compare(dialog.title, data.cut ? "选择切割文件" : "选择打印文件")
            const globs = dialog.selectedNameFilter.globs
            compare(globs, data.cut ? ["*.plt", "*.PLT", "*.svg", "*.SVG"] : ["*.pdf", "*.PDF"])
            dialog.accept()
            compare(data.cut ? app.cutFile : app.printFile, path)
            notices.clear()
            mouseDoubleClickSequence(child(tab, "cutCopiesLabel"))
            tryCompare(dialog, "visible", true)
            const before = app.cutFile
            dialog.reject()
            compare(app.cutFile, before)
        }

        // Back pops the page and gives the task page's camera view the video back.
        function test_backGivesVideoBack() {
            const tab = makeTab()
            const stack = child(tab, "stack_view")
            const back = child(tab, "backButton")
            compare(back.visible, false)
            const taskPage = stack.currentItem
            // The sessions and the task page's view are made after the first frame.
            tryVerify(function() {
                const view = findChild(taskPage, "video")
                return tab.camera.started && view !== null && view.parent.status === Loader.Ready
            }, 10000)
            const relay = child(tab.camera, "markRelay")
            compare(relay.target, child(taskPage, "viewfinder"))
            tab.open("video")
            tryCompare(stack, "depth", 2)
            tryCompare(stack, "busy", false)
            compare(relay.target, child(stack.currentItem, "viewfinder"))
            tab.open("nothing")
            compare(stack.depth, 2)
            mouseClick(back)
            tryCompare(stack, "depth", 1)
            compare(relay.target, child(taskPage, "viewfinder"))
            for (const page of ["cut_file", "print_file", "device"]) {
                tab.open(page)
                tryCompare(stack, "depth", 2)
                compare(stack.currentItem.objectName, page + "_page")
                back.clicked()
                tryCompare(stack, "depth", 1)
            }
        }

        // The cut view is hidden while a popup is open, and shown again once
        // none is.
        function test_cutViewAroundPopups() {
            const tab = makeTab()
            const stack = child(tab, "stack_view")
            tab.open("cut_file")
            tryCompare(stack, "busy", false)
            const view = child(stack.currentItem, "cutGraphicsView")
            verify(view.visible)
            const popup = child(tab, "task_popup")
            popup.open()
            tryCompare(view, "visible", false)
            device.errorMessage = "错误"
            const errors = child(tab, "error_popup")
            tryCompare(errors, "opened", true)
            popup.close()
            tryCompare(popup, "visible", false)
            compare(view.visible, false)
            errors.close()
            tryCompare(errors, "visible", false)
            tryCompare(view, "visible", true)
        }
    }
}
