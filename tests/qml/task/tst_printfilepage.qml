import QtQuick
import QtTest
import Dravolinte2024
import ORUN_Config

// The print-file page: the printer list and the stored printer, the
// dialogs and what they write, the data-source rows, the record box and
// the test print's arguments.
Item {
    id: root
    width: 1280
    height: 720

    Component {
        id: pageComponent
        PrintFilePage { width: 1280; height: 720 }
    }

    TestCase {
        name: "PrintFilePage"
        when: windowShown

        property string savedPrinter
        property bool savedPrint

        function initTestCase() {
            savedPrinter = config.printerName
            savedPrint = config.enablePrint
            config.enablePrint = true
            fixtures.loadCheckParams()
            config.setProperty(ORUN_Config.CPT_Enable_Print_Marker_Type, 0)
        }
        function cleanupTestCase() {
            config.printerName = savedPrinter
            config.enablePrint = savedPrint
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

        // The list ends with "CorelDRAW"; the stored printer is selected, an
        // unknown one leaves the box empty and stored; a pick is stored.
        function test_printers() {
            const printers = app.printersName()
            compare(printers[printers.length - 1], "CorelDRAW")
            config.printerName = "没有这台打印机"
            let page = make()
            const box = child(page, "cmb_printer")
            compare(box.currentIndex, -1)
            compare(box.displayText, "")
            compare(config.printerName, "没有这台打印机")
            box.currentIndex = printers.length - 1
            compare(config.printerName, "CorelDRAW")
            page = make()
            compare(child(page, "cmb_printer").displayText, "CorelDRAW")
        }

        // Each dialog's file reaches its member as an absolute path; the print
        // file hides the data-source rows; a cancel writes nothing.
        function test_dialogs_data() {
            return [
                { tag: "print file", dialog: "fileDialog", name: "打印 #1.PDF", pdf: true,
                  member: function() { return app.printFile } },
                { tag: "cut file", dialog: "cutDialog", name: "切割 #1.tqc",
                  member: function() { return app.printCutFile } },
            ]
        }
        function test_dialogs(data) {
            const page = make()
            const path = data.pdf ? fixtures.makePdf(data.name) : fixtures.makeFile(data.name)
            const dialog = child(page, data.dialog)
            app.enabledDataSource = true
            dialog.selectedFile = app.fileUrl(path)
            dialog.open()
            tryCompare(dialog, "visible", true)
            dialog.accept()
            compare(data.member(), path)
            if (data.pdf) {
                compare(app.enabledDataSource, false)
                compare(child(page, "btn_file").text, path)
                verify(child(page, "tips_text").text.indexOf("100.00 x 50.00") >= 0)
                verify(child(page, "print_view").source.toString().indexOf("printImg") >= 0)
            }
            dialog.open()
            tryCompare(dialog, "visible", true)
            dialog.reject()
            compare(data.member(), path)
            app.enabledDataSource = false
        }

        // The data-source rows show while one is in use; the record box writes
        // only a value that differs from the application's.
        function test_dataSourceRows() {
            const page = make()
            const box = child(page, "dataIndexBox")
            compare(box.parent.visible, false)
            app.enabledDataSource = true
            verify(box.parent.visible)
            compare(box.value, app.dataIndex)
            compare(box.from, 1)
            compare(box.to, 999999)
            box.forceActiveFocus()
            keyClick(Qt.Key_Down)
            compare(box.value, 1)
            app.enabledDataSource = false
            compare(box.parent.visible, false)
        }

        // The test print and the preferences take the shown file and printer;
        // with "CorelDRAW" a missing file is no refusal.
        function test_testPrint() {
            notices.clear()
            config.printerName = "没有这台打印机"
            const page = make()
            app.printFile = ""
            mouseClick(child(page, "btn_test_print"))
            tryVerify(function() { return notices.messages().length > 0 })
            verify(notices.messages()[0].indexOf("打印文件未打开") >= 0, notices.messages()[0])
            notices.clear()
            child(page, "cmb_printer").currentIndex = app.printersName().length - 1
            mouseClick(child(page, "btn_test_print"))
            const refused = notices.messages().filter(function(m) { return m.indexOf("打印文件未打开") >= 0 })
            compare(refused, [])
        }
    }
}
