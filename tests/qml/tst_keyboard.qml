import QtQuick
import QtTest
import QtQuick.VirtualKeyboard
import Dravolinte2024

// The on-screen keyboard in the main window, pressed as the operator presses
// it: its key caps type into a field inside a popup and close no popup, and
// whatever field is typed into stays in sight above it.
TestCase {
    id: test
    name: "Keyboard"
    when: windowShown

    property bool savedPrint
    property int savedKnives

    Component {
        id: mainComponent
        Main {}
    }

    function initTestCase() {
        savedPrint = config.enablePrint
        savedKnives = config.knifeNum
    }
    function cleanup() {
        config.enablePrint = savedPrint
        config.knifeNum = savedKnives
        config.knifeNo = 0
        config.discardCfg()
    }

    function makeWindow(width, height) {
        const win = createTemporaryObject(mainComponent, test)
        verify(win)
        win.visibility = Window.Windowed
        win.width = width
        win.height = height
        tryCompare(win.contentItem, "height", height)
        return win
    }
    function child(parent, name) {
        const item = findChild(parent, name)
        verify(item, name)
        return item
    }
    // The key cap of that type (or that key), as drawn in the panel.
    function keyCap(item, match) {
        if (item.keyType !== undefined && item.visible && item.width > 0 && match(item))
            return item
        for (let i = 0; i < item.children.length; ++i) {
            const found = keyCap(item.children[i], match)
            if (found)
                return found
        }
        return null
    }
    function press(panel, match, what) {
        const cap = keyCap(panel, match)
        verify(cap, what)
        mouseClick(cap)
    }
    function sceneRect(item) {
        return item.mapToItem(null, 0, 0, item.width, item.height)
    }
    // Focus on the field: the keyboard up and settled, the view moved.
    function typeInto(win, field) {
        const panel = child(win, "inputPanel")
        field.forceActiveFocus()
        tryCompare(panel, "active", true, 5000)
        tryVerify(function() { return panel.height > 0 && panel.y === win.height - panel.height }, 5000)
        let last = NaN
        tryVerify(function() {
            const y = win.contentItem.y
            const still = y === last
            last = y
            return still
        }, 5000, "the view settles")
        return panel
    }

    // Inside a popup the keyboard lies over it and its dim: a digit, Enter
    // and the hide key act on the field and the popup stays open.
    function test_keysInPopup_data() {
        return [
            { tag: "settings", tab: 0, popup: "setting_page", opener: "open", field: "spin", typed: 5 },
            { tag: "copies", tab: 1, popup: "copiesPopup", opener: "task_copies_cut", field: "spb", typed: 5 },
        ]
    }
    function test_keysInPopup(data) {
        const win = makeWindow(1280, 800)
        child(win, "stack_layout").currentIndex = data.tab
        const popup = child(win, data.popup)
        if (data.opener === "open")
            popup.open()
        else
            child(win, data.opener).toggle()
        tryCompare(popup, "opened", true)
        const spin = child(popup, data.field)
        const input = findChild(spin, "textInput") || spin.contentItem
        const panel = typeInto(win, input)
        input.selectAll()
        press(panel, function(k) { return k.key === Qt.Key_5 }, "5")
        tryCompare(input, "text", "5")
        compare(popup.opened, true)
        press(panel, function(k) { return k.keyType === QtVirtualKeyboard.EnterKey }, "Enter")
        tryCompare(spin, "value", data.typed)
        compare(popup.opened, true)
        compare(input.activeFocus, true)
        press(panel, function(k) { return k.keyType === QtVirtualKeyboard.HideKeyboardKey }, "hide")
        tryCompare(panel, "active", false, 5000)
        tryCompare(panel, "y", win.height, 5000)
        compare(popup.opened, true)
        popup.close()
    }

    // The field typed into lies above the keyboard's top whatever the window,
    // and the view goes back down with the keyboard: the lowest fields of the
    // video page, the parameter page with its knife row, the settings.
    function test_fieldInSight_data() {
        const rows = []
        for (const size of [[1280, 800], [1920, 1080]]) {
            for (const f of [["video", "copiesOnceBox"], ["video", "offsetYBox"],
                             ["device", "iFSpinBox_markCameraOffsetY"], ["settings", ""]])
                rows.push({ tag: f[0] + " " + f[1] + " " + size[0], width: size[0], height: size[1],
                            page: f[0], field: f[1] })
        }
        return rows
    }
    function test_fieldInSight(data) {
        config.enablePrint = true
        config.knifeNum = 2
        const win = makeWindow(data.width, data.height)
        const box = data.page === "settings" ? lowestSetting(win) : openPage(win, data.page, data.field)
        const field = child(box, "textInput")
        const before = sceneRect(box)
        const panel = typeInto(win, field)
        const at = sceneRect(box)
        const top = sceneRect(panel).y
        compare(top, data.height - panel.height)
        verify(at.y + at.height <= top, "field " + JSON.stringify(at) + " above " + top)
        verify(at.y >= 0)
        if (before.y + before.height > top)
            verify(win.contentItem.y < 0, "moved up")
        child(win, "btn2").forceActiveFocus()
        tryCompare(panel, "active", false, 5000)
        tryCompare(win.contentItem, "y", 0, 5000)
        compare(sceneRect(box).y, before.y)
    }
    function openPage(win, page, name) {
        child(win, "task_stack_page").open(page)
        const box = child(win, name)
        tryVerify(function() { return box.visible && sceneRect(box).width > 0 })
        return box
    }
    // The settings open, and their lowest number field in sight.
    function lowestSetting(win) {
        child(win, "stack_layout").currentIndex = 0
        const popup = child(win, "setting_page")
        popup.open()
        tryCompare(popup, "opened", true)
        const area = sceneRect(child(popup, "propertyArea").parent.parent)
        const boxes = []
        collectSpins(popup.contentItem, boxes)
        let lowest = null
        for (const b of boxes) {
            const r = sceneRect(b)
            if (r.y >= area.y && r.y + r.height <= area.y + area.height && (!lowest || r.y > sceneRect(lowest).y))
                lowest = b
        }
        verify(lowest)
        return lowest
    }
    function collectSpins(item, out) {
        if (item.objectName === "spin" && item.visible)
            out.push(item)
        for (let i = 0; i < item.children.length; ++i)
            collectSpins(item.children[i], out)
    }
}
