import QtQuick
import QtTest
import QtQuick.VirtualKeyboard
import Dravolinte2024

// The on-screen keyboard in the main window, pressed as the operator presses
// it: its key caps type into a field inside a popup and close no popup, and
// the field typed into stays in sight above it.
TestCase {
    id: test
    name: "Keyboard"
    when: windowShown

    Component {
        id: mainComponent
        Main {}
    }

    function cleanup() {
        config.knifeNum = 1
        config.discardCfg()
    }
    function makeWindow(width, height) {
        const win = createTemporaryObject(mainComponent, test)
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
    // A key cap of the panel, pressed where it is drawn.
    function press(item, match) {
        if (item.keyType !== undefined && item.visible && match(item)) {
            mouseClick(item)
            return true
        }
        for (let i = 0; i < item.children.length; ++i)
            if (press(item.children[i], match))
                return true
        return false
    }
    function sceneRect(item) {
        return item.mapToItem(null, 0, 0, item.width, item.height)
    }
    // The focus on the field: the keyboard up, the view where it goes.
    function typeInto(win, field) {
        // The keyboard is made after the window's first frame, in its loader.
        tryVerify(function() {
            const made = findChild(win, "inputPanel")
            return made !== null && made.parent.status === Loader.Ready
        }, 10000)
        const panel = child(win, "inputPanel")
        const lift = child(win, "keyboardLift")
        field.forceActiveFocus()
        tryCompare(panel, "active", true, 5000)
        tryVerify(function() { return panel.y === win.height - panel.height && win.contentItem.y === -lift.lift }, 5000)
        return panel
    }
    function above(item, panel) {
        const r = sceneRect(item)
        verify(r.y >= 0 && r.y + r.height <= sceneRect(panel).y, JSON.stringify(r) + " above " + sceneRect(panel).y)
    }

    // Over the settings (modal, dimmed; their lowest field shown) and a copies
    // editor: the field in sight, a digit types, Enter ends the edit, the
    // hide key hides; the popup stays open.
    function test_keysInPopup_data() {
        return [{ tag: "settings", tab: 0, popup: "setting_page" }, { tag: "copies", tab: 1, popup: "copiesPopup" }]
    }
    function test_keysInPopup(data) {
        const win = makeWindow(1280, 800)
        child(win, "stack_layout").currentIndex = data.tab
        const popup = child(win, data.popup)
        popup.open()
        tryCompare(popup, "opened", true)
        const area = findChild(popup, "propertyArea")
        const spin = area ? lowestShown(area, sceneRect(area.parent.parent), null) : child(popup, "spb")
        const input = spin.contentItem
        const panel = typeInto(win, input)
        above(spin, panel)
        input.selectAll()
        verify(press(panel, function(k) { return k.key === Qt.Key_5 }))
        tryCompare(input, "text", "5")
        // The release reached the key through the layers too: no key stays
        // held down, and no auto-repeat runs on.
        compare(panel.keyboard.activeKey, null)
        compare(InputContext.inputEngine.activeKey, Qt.Key_unknown)
        verify(press(panel, function(k) { return k.keyType === QtVirtualKeyboard.EnterKey }))
        tryCompare(spin, "value", 5)
        compare(input.activeFocus, true)
        verify(press(panel, function(k) { return k.keyType === QtVirtualKeyboard.HideKeyboardKey }))
        tryCompare(panel, "y", win.height, 5000)
        compare(popup.opened, true)
    }
    // The lowest number box that shows whole in the settings' scroll area.
    function lowestShown(item, area, lowest) {
        const r = sceneRect(item)
        if (item.objectName === "spin" && item.visible && r.y >= area.y && r.y + r.height <= area.y + area.height
                && (!lowest || r.y > sceneRect(lowest).y))
            lowest = item
        for (let i = 0; i < item.children.length; ++i)
            lowest = lowestShown(item.children[i], area, lowest)
        return lowest
    }

    // The lowest fields of the video page and of the parameter page with its
    // knife row, in both window sizes: above the keyboard's top, and back
    // where they were when it goes.
    function test_fieldInSight_data() {
        const rows = []
        for (const size of [[1280, 800], [1920, 1080]])
            for (const f of [["video", "copiesOnceBox"], ["video", "offsetYBox"], ["device", "iFSpinBox_markCameraOffsetY"]])
                rows.push({ tag: f[1] + " " + size[0], width: size[0], height: size[1], page: f[0], field: f[1] })
        return rows
    }
    function test_fieldInSight(data) {
        config.enablePrint = true
        config.knifeNum = 2
        const win = makeWindow(data.width, data.height)
        child(win, "task_stack_page").open(data.page)
        const box = child(win, data.field)
        tryVerify(function() { return box.visible && sceneRect(box).width > 0 })
        const before = sceneRect(box)
        const panel = typeInto(win, child(box, "textInput"))
        compare(sceneRect(panel).y, data.height - panel.height)
        above(box, panel)
        child(win, "btn2").forceActiveFocus()
        tryCompare(win.contentItem, "y", 0, 5000)
        compare(sceneRect(box).y, before.y)
    }
}
