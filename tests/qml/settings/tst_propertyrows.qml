import QtQuick
import QtTest
import Dravolinte2024
import ORUN_Config

// The parameter rows against a real parameter store: what they show, when
// they show, what they store or stage, and what a refresh does.
Item {
    id: root
    width: 800
    height: 400

    Component { id: spinRow; SpinBoxProperty {} }
    Component { id: checkRow; CheckBoxProperty {} }
    Component { id: comboRow; ComboBoxProperty {} }
    Component { id: fileRow; FileDialogProperty {} }

    SignalSpy {
        id: changed
        target: config
        signalName: "propertyChanged"
    }

    TestCase {
        name: "PropertyRows"
        when: windowShown

        function make(component, id, isTmp) {
            const row = createTemporaryObject(component, root, { "createType": id, "isTmp": isTmp })
            verify(row)
            changed.clear()
            return row
        }
        function cleanup() {
            config.discardCfg()
        }
        function keysOf(spy) {
            const keys = []
            for (let i = 0; i < spy.count; ++i)
                keys.push(spy.signalArguments[i][0])
            return keys
        }
        function typeInto(spin, text) {
            const input = findChild(spin, "textInput")
            input.forceActiveFocus()
            input.selectAll()
            for (const c of text)
                keyClick(c)
            keyClick(Qt.Key_Return)
        }

        // The parameter's own bounds hold from the start: stored values
        // beyond the provisional -180..999 show as they are.
        function test_spinShowsStoredValue_data() {
            return [
                { tag: "copies 5000", id: ORUN_Config.CPT_printCopiesOnce, stored: 5000, min: 1, max: 9999 },
                { tag: "dancer -200", id: ORUN_Config.CPT_Gyroscope_Trigger, stored: -200, min: -360, max: 360 },
            ]
        }
        function test_spinShowsStoredValue(data) {
            config.setProperty(data.id, data.stored)
            const row = make(spinRow, data.id, true)
            const spin = findChild(row, "spin")
            compare(spin.value, data.stored)
            compare([spin.min, spin.max], [data.min, data.max])
            compare(findChild(spin, "textInput").text, String(data.stored))
            verify(config.getPropertyName(data.id) !== "")
            compare(spin.Accessible.name, config.getPropertyName(data.id))
        }

        // A staging row stages; taking an edit back leaves nothing staged; a
        // storing row writes at once, and only a different value.
        function test_spinWrites() {
            const id = ORUN_Config.CPT_Gyroscope_Limit
            config.setProperty(id, 20)
            const staging = make(spinRow, id, true)
            const spin = findChild(staging, "spin")
            typeInto(spin, "25")
            compare(config.getProperty(id), 20)
            compare(changed.count, 0)
            typeInto(spin, "20")
            config.saveCfg()
            compare(changed.count, 0)
            typeInto(spin, "30")
            config.saveCfg()
            compare(config.getProperty(id), 30)
            compare(keysOf(changed), [id])

            const storing = make(spinRow, id, false)
            typeInto(findChild(storing, "spin"), "30")
            compare(changed.count, 0)
            typeInto(findChild(storing, "spin"), "31")
            compare(config.getProperty(id), 31)
        }

        // The store's change of the row's own key refreshes it; another key
        // touches only its visibility.
        function test_refresh() {
            const id = ORUN_Config.CPT_Gyroscope_speed
            const row = make(spinRow, id, true)
            config.setProperty(id, 77)
            compare(findChild(row, "spin").value, 77)
            config.setProperty(ORUN_Config.CPT_Gyroscope_Limit, 12)
            compare(findChild(row, "spin").value, 77)
            config.setProperty(ORUN_Config.CPT_Enable_Gyroscope, false)
            compare(row.visible, false)
            config.setProperty(ORUN_Config.CPT_Enable_Gyroscope, true)
            compare(row.visible, true)
        }

        function test_unknownId() {
            const row = make(spinRow, 9999, true)
            const spin = findChild(row, "spin")
            compare(config.getPropertyName(9999), "")
            compare(spin.value, 0)
        }

        function test_checkBox() {
            const id = ORUN_Config.CPT_Cut_Inverse
            config.setProperty(ORUN_Config.CPT_Knife_Num, 1)
            config.setProperty(id, false)
            const row = make(checkRow, id, false)
            compare(row.text, config.getPropertyName(id))
            compare(row.checked, false)
            mouseClick(row)
            compare(config.getProperty(id), true)
            config.setProperty(id, "false")
            compare(row.checked, false)
            config.setProperty(id, "true")
            compare(row.checked, true)
            config.setProperty(id, false)
            const staging = make(checkRow, id, true)
            mouseClick(staging)
            compare(config.getProperty(id), false)
            config.saveCfg()
            compare(config.getProperty(id), true)
        }

        function test_comboBox_data() {
            return [
                { tag: "cut marker none", id: ORUN_Config.CPT_Enable_Cut_Marker_Type, stored: 0, entries: 2, index: 0 },
                { tag: "print marker QR", id: ORUN_Config.CPT_Enable_Print_Marker_Type, stored: 1, entries: 2, index: 1 },
                { tag: "printed text is not offered", id: ORUN_Config.CPT_Enable_Cut_Marker_Type, stored: 2, entries: 2, index: -1 },
                { tag: "another id", id: ORUN_Config.CPT_Gyroscope_speed, stored: 1, entries: 0, index: -1 },
            ]
        }
        function test_comboBox(data) {
            config.setProperty(data.id, data.stored)
            const row = make(comboRow, data.id, false)
            const box = findChild(row, "box")
            compare(box.count, data.entries)
            compare(box.currentIndex, data.index)
            if (data.entries === 0)
                return
            compare(box.textAt(0), "无")
            compare(box.textAt(1), "二维码")
            config.setProperty(data.id, 0)
            compare(box.currentIndex, 0)
            changed.clear()
            box.activated(1)
            compare(config.getProperty(data.id), 1)
            compare(changed.count, 1)
        }

        // Paths through the one local-file conversion; a URL that is not a
        // local file stores nothing.
        function test_fileRow_data() {
            return [
                { tag: "file url", url: "file:///home/op/plt", path: "/home/op/plt" },
                { tag: "percent and blank", url: "file:///home/op/50%25%20x", path: "/home/op/50% x" },
                { tag: "chinese", url: "file:///home/op/%E5%88%87%E5%89%B2", path: "/home/op/切割" },
                { tag: "not local", url: "http://127.0.0.1/plt", path: "" },
            ]
        }
        function test_fileRow(data) {
            const id = ORUN_Config.CPT_Plt_Dir
            config.setProperty(id, "/old")
            const row = make(fileRow, id, false)
            const button = findChild(row, "button")
            compare(button.text, "/old")
            row.accept(data.url)
            compare(config.getProperty(id), data.path === "" ? "/old" : data.path)
            compare(button.text, data.path === "" ? "/old" : data.path)
            changed.clear()
            if (data.path !== "") {
                row.accept(data.url)
                compare(changed.count, 0)
            }
        }

        // The folder rows open a folder dialog starting in the stored folder;
        // accepting it stores the folder chosen.
        function test_folderDialog() {
            const id = ORUN_Config.CPT_Plt_Dir
            config.setProperty(id, "/tmp")
            const row = make(fileRow, id, false)
            const dialog = findChild(row, "folderDialog")
            mouseClick(findChild(row, "button"))
            tryCompare(dialog, "visible", true)
            compare(dialog.currentFolder.toString(), "file:///tmp")
            verify(!findChild(row, "fileDialog").visible)
            dialog.reject()
            compare(config.getProperty(id), "/tmp")

            config.setProperty(id, "")
            dialog.selectedFolder = "file:///var/tmp"
            mouseClick(findChild(row, "button"))
            tryCompare(dialog, "visible", true)
            dialog.accept()
            compare(config.getProperty(id), "/var/tmp")
        }

        // The cut-file folder row shows once the cut marker type asks for it.
        function test_visibilityFollowsOtherParameters() {
            config.setProperty(ORUN_Config.CPT_Enable_Cut, true)
            config.setProperty(ORUN_Config.CPT_Enable_Cut_Marker_Type, 0)
            const row = make(fileRow, ORUN_Config.CPT_Plt_Dir, true)
            compare(row.visible, false)
            config.setProperty(ORUN_Config.CPT_Enable_Cut_Marker_Type, 1)
            compare(row.visible, true)
        }
    }
}
