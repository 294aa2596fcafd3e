import QtQuick
import QtTest
import Dravolinte2024
import ORUN_Config

// The task page: a double click asks for a panel's page, a press held 400 ms
// opens the cut or print dialog; the print panel and the machine panel share
// the right column; the print dialog lists TIF pictures only on a 7x4 with
// the RIP's input; the chosen files reach the application as paths.
Item {
    id: root
    width: 1280
    height: 720

    RCamera {
        id: testCamera
    }

    Component {
        id: pageComponent
        TaskPage { width: 1280; height: 720; camera: testCamera }
    }

    SignalSpy {
        id: submits
        signalName: "submit"
    }

    TestCase {
        name: "TaskPage"
        when: windowShown

        property var saved: ({})

        function initTestCase() {
            for (const key of ["enablePrint", "version"])
                saved[key] = config[key]
        }
        function cleanupTestCase() {
            for (const key in saved)
                config[key] = saved[key]
            config.setProperty(ORUN_Config.CPT_Enable_RIIN_Input, false)
        }
        function make() {
            const page = createTemporaryObject(pageComponent, root)
            verify(page)
            submits.target = page
            submits.clear()
            return page
        }
        function child(item, name) {
            const found = findChild(item, name)
            verify(found, name)
            return found
        }

        function test_doubleClicks_data() {
            return [
                { tag: "cut", area: "cutArea", page: "cut_file" },
                { tag: "print", area: "printArea", page: "print_file" },
                { tag: "camera", area: "videoArea", page: "video" },
                { tag: "machine", area: "deviceCell", page: "device" },
            ]
        }
        function test_doubleClicks(data) {
            config.enablePrint = true
            const page = make()
            mouseDoubleClickSequence(child(page, data.area))
            compare(submits.count, 1)
            compare(submits.signalArguments[0][0], data.page)
            compare(submits.signalArguments[0][1], "")
            compare(child(page, "plt_dlg").visible, false)
            compare(child(page, "pdf_dlg").visible, false)
        }

        // Without printing the machine panel takes the whole right column and
        // the print panel's place answers as the machine.
        function test_withoutPrint() {
            config.enablePrint = false
            const page = make()
            const machine = child(page, "machine_panel")
            compare(child(page, "print_file").visible, false)
            tryCompare(machine, "height", page.height)
            mouseDoubleClickSequence(page, page.width * 0.75, page.height * 0.25)
            compare(submits.signalArguments[0][0], "device")
            mousePress(page, page.width * 0.75, page.height * 0.25)
            wait(600)
            mouseRelease(page, page.width * 0.75, page.height * 0.25)
            compare(child(page, "pdf_dlg").visible, false)
            config.enablePrint = true
            tryVerify(function() { return Math.abs(machine.height - (page.height - 1) / 2) <= 1 })
        }

        // A press held 400 ms opens the dialog; the file reaches the application.
        function test_holdOpensDialogs_data() {
            return [
                { tag: "cut", area: "cutArea", dialog: "plt_dlg", name: "长按 #1.PLT", cut: true },
                { tag: "print", area: "printArea", dialog: "pdf_dlg", name: "长按 #2.pdf", cut: false },
            ]
        }
        function test_holdOpensDialogs(data) {
            config.enablePrint = true
            const page = make()
            const dialog = child(page, data.dialog)
            const path = data.cut ? fixtures.makeFile(data.name) : fixtures.makePdf(data.name)
            dialog.selectedFile = app.fileUrl(path)
            mousePress(child(page, data.area))
            tryCompare(dialog, "visible", true, 2000)
            mouseRelease(child(page, data.area))
            compare(submits.count, 0)
            dialog.accept()
            compare(data.cut ? app.cutFile : app.printFile, path)
        }

        // The print dialog's filter, and .tqc scenes listed in both dialogs.
        function test_printFilter_data() {
            return [
                { tag: "7x4 with the RIP", version: ORUN_Config.VT_7x4, riin: true, tif: true },
                { tag: "7x4 without", version: ORUN_Config.VT_7x4, riin: false, tif: false },
                { tag: "7x5 with the RIP", version: ORUN_Config.VT_7x5, riin: true, tif: false },
            ]
        }
        function test_printFilter(data) {
            config.enablePrint = true
            config.version = data.version
            config.setProperty(ORUN_Config.CPT_Enable_RIIN_Input, data.riin)
            const page = make()
            page.openPrintDialog()
            const dialog = child(page, "pdf_dlg")
            tryCompare(dialog, "visible", true)
            const globs = dialog.selectedNameFilter.globs
            compare(globs.indexOf("*.tif") >= 0 && globs.indexOf("*.TIF") >= 0, data.tif)
            verify(globs.indexOf("*.tqc") >= 0 && globs.indexOf("*.PDF") >= 0)
            dialog.reject()
            const plt = child(page, "plt_dlg")
            plt.open()
            tryCompare(plt, "visible", true)
            compare(plt.selectedNameFilter.globs, ["*.plt", "*.PLT", "*.tqc", "*.TQC"])
            plt.reject()
        }

        // The hints show while nothing is loaded; the camera view, made after
        // the first frame on the background it shows, shows the session of the
        // shown camera once the sessions are made.
        function test_contents() {
            config.enablePrint = true
            const page = make()
            tryVerify(function() {
                const made = findChild(page, "video")
                return made !== null && made.parent.status === Loader.Ready
            }, 10000)
            const video = child(page, "video")
            tryVerify(function() { return testCamera.started }, 10000)
            compare(video.cs, testCamera.currCS)
            app.printFile = ""
            compare(child(page, "print_pdf_view").visible, false)
            compare(child(page, "pltview").file, app.cutShowFile)
        }
    }
}
