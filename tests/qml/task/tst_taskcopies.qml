import QtQuick
import QtTest
import Dravolinte2024

// The copies editor: presets on the press, the spin box's plain digits, and
// the text changed only by the operator's edits, never by opening the list.
Item {
    id: root
    width: 400
    height: 500

    Component {
        id: copiesComponent
        TaskCopies { x: 20; y: 20; width: 120; height: 30; text: "100" }
    }

    SignalSpy {
        id: textChanges
        signalName: "textChanged"
    }

    TestCase {
        name: "TaskCopies"
        when: windowShown

        function make() {
            const editor = createTemporaryObject(copiesComponent, root)
            verify(editor)
            textChanges.target = editor
            textChanges.clear()
            return editor
        }
        function open(editor) {
            mouseClick(editor)
            const popup = findChild(editor, "copiesPopup")
            tryCompare(popup, "opened", true)
            return popup
        }
        function pick(editor, index) {
            const popup = open(editor)
            mousePress(findChild(popup.contentItem, "preset" + index))
            tryCompare(popup, "visible", false)
        }

        // Opening the list on a text the spin box cannot show ("自动", "0")
        // leaves the text, and so the preset, as it is.
        function test_openingKeepsText_data() {
            return [{ tag: "automatic", preset: 8, text: "自动", value: -1 },
                    { tag: "zero", preset: 0, text: "0", value: 0 }]
        }
        function test_openingKeepsText(data) {
            const editor = make()
            pick(editor, data.preset)
            compare(editor.text, data.text)
            compare(editor.preset(), data.value)
            textChanges.clear()
            const popup = open(editor)
            compare(findChild(popup.contentItem, "spb").value, 100)
            popup.close()
            tryCompare(popup, "visible", false)
            compare(textChanges.count, 0)
            compare(editor.preset(), data.value)
        }

        // The spin box writes plain digits, whatever the locale; stepping past
        // 999 shows "1000"; it stays within 1 and 999999.
        function test_spinBoxDigits() {
            const editor = make()
            pick(editor, 7)
            compare(editor.text, "1000")
            const popup = open(editor)
            const spb = findChild(popup.contentItem, "spb")
            compare(spb.value, 1000)
            compare(spb.textFromValue(1000, Qt.locale("de_DE")), "1000")
            compare(spb.valueFromText("1.000", Qt.locale("de_DE")), 1000)
            spb.value = 999
            spb.forceActiveFocus()
            keyClick(Qt.Key_Up)
            compare(editor.text, "1000")
            compare(editor.preset(), 1000)
            spb.value = 1
            keyClick(Qt.Key_Down)
            compare(spb.value, 1)
            spb.value = 999999
            keyClick(Qt.Key_Up)
            compare(spb.value, 999999)
            // Nothing the operator could change: the text stays.
            compare(editor.text, "1000")
            keyClick(Qt.Key_Escape)
            tryCompare(popup, "visible", false)
        }

        // A preset acts on the press; the same preset again changes nothing;
        // a press outside or Escape closes without a change.
        function test_presets() {
            const editor = make()
            let popup = open(editor)
            mousePress(findChild(popup.contentItem, "preset4"))
            compare(popup.visible, false)
            compare(textChanges.count, 0)
            popup = open(editor)
            mousePress(root, 300, 450)
            tryCompare(popup, "visible", false)
            mouseRelease(root, 300, 450)
            popup = open(editor)
            keyClick(Qt.Key_Escape)
            tryCompare(popup, "visible", false)
            compare(editor.text, "100")
            // A click on the button while open closes it.
            popup = open(editor)
            mouseClick(editor)
            tryCompare(popup, "visible", false)
            compare(textChanges.count, 0)
        }
    }
}
