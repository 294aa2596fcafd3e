import QtQuick
import QtTest
import Dravolinte2024

// The icon button: its size from the glyph, tints, the dead margin, the
// tool tip's timing, and a button that takes no pointer.
Item {
    id: root
    width: 400
    height: 300

    Component {
        id: buttonComponent
        OrunIconButton {
            x: 100
            y: 100
            text: "\uf059"
            fontSize: 18
            iconPadding: 4
            toolTips: "关于"
        }
    }
    SignalSpy {
        id: clicked
        signalName: "clicked"
    }
    // When the tool tip showed and hid, taken as it happens rather than when a poll sees it.
    Component {
        id: watchComponent
        Connections {
            property var times: []
            function onVisibleChanged() { times.push(Date.now()) }
        }
    }

    TestCase {
        name: "OrunIconButton"
        when: windowShown

        function make(props) {
            const button = createTemporaryObject(buttonComponent, root, props || {})
            verify(button)
            clicked.clear()
            clicked.target = button
            return button
        }

        function test_clickAndTint() {
            const button = make()
            compare(button.Accessible.name, "关于")
            mouseMove(button, button.width / 2, button.height / 2)
            tryCompare(button, "color", button.bkHoverColor)
            mousePress(button)
            compare(button.color, button.bkPressColor)
            mouseRelease(button)
            compare(clicked.count, 1)
        }

        function test_deadMargin() {
            const button = make()
            mouseMove(root, 10, 10)
            mouseClick(button, 1, 1)
            mouseMove(button, 2, button.height / 2)
            compare(clicked.count, 0)
            compare(button.color, button.bkColor)
        }

        function test_sizeFollowsFontAndPadding() {
            const small = make()
            const big = createTemporaryObject(buttonComponent, root, { "fontSize": 30, "iconPadding": 10 })
            verify(big.width > small.width && big.height > small.height)
        }

        function test_disabledMouse() {
            const button = make({ "enableMouse": false })
            mouseMove(button, button.width / 2, button.height / 2)
            mouseClick(button)
            compare(clicked.count, 0)
            compare(button.color, button.bkColor)
            compare(findChild(button, "toolTip").visible, false)
        }

        // Shown half a second after the pointer came, gone three seconds later
        // though the pointer stays; none without a text.
        function test_toolTip() {
            const button = make()
            const tip = findChild(button, "toolTip")
            const watch = createTemporaryObject(watchComponent, root, { "target": tip })
            const entered = Date.now()
            mouseMove(button, button.width / 2, button.height / 2)
            tryCompare(tip, "visible", true, 5000)
            tryCompare(tip, "visible", false, 10000)
            compare(watch.times.length, 2)
            verify(watch.times[0] - entered >= 450, watch.times[0] - entered)
            // Its timer may run out up to 5 % early.
            verify(watch.times[1] - watch.times[0] >= 2800, watch.times[1] - watch.times[0])

            const silent = make({ "toolTips": "" })
            mouseMove(silent, silent.width / 2, silent.height / 2)
            wait(700)
            compare(findChild(silent, "toolTip").visible, false)
        }
    }
}
