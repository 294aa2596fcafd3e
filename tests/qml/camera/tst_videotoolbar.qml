import QtQuick
import QtTest
import Dravolinte2024

// The camera toolbar: its folder, the snapshot of the industrial camera
// and its failures told in the error popup, the long press that opens the
// folder dialog instead, and the record button of the QML source only.
Item {
    id: root
    width: 400
    height: 300

    Component {
        id: barComponent
        VideoToolBar { x: 300; y: 150; width: 40; height: 80 }
    }

    TestCase {
        name: "VideoToolBar"
        when: windowShown

        property bool savedSource

        function initTestCase() {
            savedSource = config.usedQMLCamera
        }
        function cleanupTestCase() {
            config.usedQMLCamera = savedSource
        }
        function init() {
            device.errorMessage = ""
        }
        function make() {
            const bar = createTemporaryObject(barComponent, root)
            verify(bar)
            return bar
        }
        function child(item, name) {
            const found = findChild(item, name)
            verify(found, name)
            return found
        }

        function test_folderAndButtons() {
            config.usedQMLCamera = false
            const bar = make()
            compare(bar.folder, app.appPath())
            compare(child(bar, "rect_record").visible, false)
            config.usedQMLCamera = true
            verify(child(bar, "rect_record").visible)
            compare(String(child(bar, "recordDot").color), String(Qt.rgba(0, 1, 0, 1)))
        }

        // Without a frame of the industrial camera nothing is written, and the
        // operator is told; a folder that cannot be written is told too.
        function test_failuresTold_data() {
            return [
                { tag: "no frame", folder: "", message: "拍照失败" },
                { tag: "no folder", folder: "/nonexistent/folder", message: "无法写入文件夹" },
            ]
        }
        function test_failuresTold(data) {
            config.usedQMLCamera = false
            const bar = make()
            bar.folder = data.folder !== "" ? data.folder : fixtures.folder()
            fixtures.makeFile("keep")
            mouseClick(child(bar, "rect_capture"))
            verify(device.errorMessage.indexOf(data.message) === 0, device.errorMessage)
            compare(fixtures.listFiles(fixtures.folder()), ["keep"])
        }

        // A long press opens the folder dialog and takes no snapshot; the
        // folder accepted becomes the toolbar's.
        function test_longPress() {
            config.usedQMLCamera = false
            const bar = make()
            const dialog = child(bar, "folderDialog")
            const button = child(bar, "rect_capture")
            mousePress(button)
            tryCompare(dialog, "visible", true, 3000)
            mouseRelease(button)
            compare(device.errorMessage, "")
            compare(dialog.currentFolder, app.fileUrl(app.appPath()))
            dialog.reject()
            fixtures.makeFile("keep")
            dialog.selectedFolder = app.fileUrl(fixtures.folder())
            dialog.open()
            tryCompare(dialog, "visible", true)
            dialog.accept()
            compare(bar.folder, fixtures.folder())
        }
    }
}
