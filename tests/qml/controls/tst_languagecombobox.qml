import QtQuick
import QtTest
import Dravolinte2024

// The language picker: its text, the list above it, picks and what they store.
Item {
    id: root
    width: 400
    height: 300

    LanguageComboBox {
        id: picker
        x: 100
        y: 200
        width: 100
        height: 35
        mod: config.language
        onModModfiy: config.language = mod
    }
    SignalSpy {
        id: modified
        target: picker
        signalName: "modModfiy"
    }

    TestCase {
        name: "LanguageComboBox"
        when: windowShown

        function list() {
            return findChild(picker, "languageList")
        }
        function cleanup() {
            list().close()
            modified.clear()
        }

        function test_text_data() {
            return [{ tag: "0", mod: 0, text: "简体中文" }, { tag: "1", mod: 1, text: "English" }, { tag: "7", mod: 7, text: "简体中文" }]
        }
        function test_text(data) {
            picker.mod = data.mod
            compare(picker.Accessible.description, data.text)
            compare(modified.count, 0)
            picker.mod = config.language
        }

        function test_listAbove() {
            mouseClick(picker)
            tryCompare(list(), "opened", true)
            compare(list().y, -list().height - 2)
            compare(list().height, 2 * 30 + 2)
            compare(findChild(list().contentItem, "languageEntry0").Accessible.name, "简体中文")
            compare(findChild(list().contentItem, "languageEntry1").Accessible.name, "English")
            mouseClick(picker)
            tryCompare(list(), "visible", false)
        }

        // English stored at once; picking the chosen entry closes the list silently.
        function test_pick() {
            config.language = 0
            mouseClick(picker)
            tryCompare(list(), "opened", true)
            mousePress(findChild(list().contentItem, "languageEntry1"))
            compare(modified.count, 1)
            compare(config.language, 1)
            tryCompare(list(), "visible", false)
            mouseClick(picker)
            tryCompare(list(), "opened", true)
            mousePress(findChild(list().contentItem, "languageEntry1"))
            compare(modified.count, 1)
            tryCompare(list(), "visible", false)
            config.language = 0
        }

        function test_closedByEscapeOrOutside() {
            mouseClick(picker)
            tryCompare(list(), "opened", true)
            keyClick(Qt.Key_Escape)
            tryCompare(list(), "visible", false)
            mouseClick(picker)
            tryCompare(list(), "opened", true)
            mouseClick(root, 10, 10)
            tryCompare(list(), "visible", false)
            compare(modified.count, 0)
        }
    }
}
