import QtQuick
import QtTest
import Dravolinte2024

// The cut-file page: the hosted cut view (shown, disabled, hidden on
// request), the dialogs, the sorting switch that writes only changes, and
// the word that a file gives the label check nothing to check against.
Item {
    id: root
    width: 1280
    height: 720

    Component {
        id: pageComponent
        CutFilePage { width: 1280; height: 720 }
    }

    SignalSpy {
        id: sortWrites
        target: config
        signalName: "autoSortChanged"
    }
    SignalSpy {
        id: errors
        target: device
        signalName: "errorMessageChanged"
    }

    TestCase {
        name: "CutFilePage"
        when: windowShown

        property bool savedSort

        function initTestCase() {
            savedSort = config.enableSort
        }
        function cleanupTestCase() {
            config.enableSort = savedSort
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

        function test_hostedView() {
            const page = make()
            const view = child(page, "cutGraphicsView")
            compare(view.enabled, false)
            verify(view.widget)
            compare(view.width, page.width - 350)
            page.showWindow(false)
            compare(view.visible, false)
            page.showWindow(true)
            compare(view.visible, true)
        }

        // The open and save dialogs: the path reaches the application; a
        // cancelled save exports nothing.
        function test_dialogs() {
            const page = make()
            const open = child(page, "fileDialog")
            const path = fixtures.makeFile("剪 #2.PLT")
            open.selectedFile = app.fileUrl(path)
            mouseClick(child(page, "btn_file"))
            tryCompare(open, "visible", true)
            compare(open.selectedNameFilter.globs, ["*.tqc", "*.TQC", "*.plt", "*.PLT"])
            open.accept()
            compare(app.cutFile, path)
            compare(child(page, "btn_file").text, path)
            const save = child(page, "saveDlg")
            const before = app.saveFile
            mouseClick(child(page, "btn_export"))
            tryCompare(save, "visible", true)
            save.reject()
            compare(app.saveFile, before)
            const target = fixtures.folder() + "/导出 #1.plt"
            save.selectedFile = app.fileUrl(target)
            save.open()
            tryCompare(save, "visible", true)
            save.accept()
            compare(app.saveFile, target)
        }

        // With the label check on, a cut file without a page picture is
        // told once for each file opened.
        function test_noPagePicture() {
            const detection = config.enableDetection
            config.enableDetection = true
            make()
            device.errorMessage = ""
            for (const name of ["无图 1.plt", "无图 2.plt"]) {
                errors.clear()
                app.cutFile = fixtures.makeFile(name, "IN;PU0,0;PD400,0,400,400;PU;")
                compare(device.errorMessage, "切割文件没有页面图像，标签检测未进行")
                compare(errors.count, 1)
                device.errorMessage = ""
            }
            config.enableDetection = detection
        }

        // The switch writes only when it differs, and shows the store's
        // state; disabled, it says so.
        function test_sortSwitch() {
            config.enableSort = true
            const page = make()
            const sw = child(page, "sortSwitch")
            compare(sw.checked, false)
            compare(sw.text, "关")
            // No scene yet: the store keeps false and the switch follows it.
            mouseClick(sw)
            compare(config.autoSort, false)
            compare(sw.checked, false)
            compare(sw.text, "关")
            fixtures.useCutScene()
            sortWrites.clear()
            mouseClick(sw)
            compare(sortWrites.count, 1)
            compare(config.autoSort, true)
            compare(sw.text, "开")
            const again = make()
            compare(child(again, "sortSwitch").checked, true)
            compare(sortWrites.count, 1)
            mouseClick(sw)
            compare(config.autoSort, false)
            config.enableSort = false
            compare(sw.enabled, false)
            verify(child(page, "sortDisabled").visible)
        }
    }
}
