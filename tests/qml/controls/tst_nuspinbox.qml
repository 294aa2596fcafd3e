import QtQuick
import QtTest
import Dravolinte2024

// The decimal spin box: scaled values, typed edits and what they signal,
// press-and-hold stepping, and the user's binding kept after an edit.
Item {
    id: root
    width: 400
    height: 200

TestCase {
    id: test
    name: "NuSpinBox"
    when: windowShown

    QtObject {
        id: source
        property int value: 300
    }

    Component {
        id: spinComponent
        NuSpinBox {
            x: 50
            y: 50
            width: 200
            height: 40
        }
    }
    Component {
        id: boundComponent
        NuSpinBox {
            x: 50
            y: 50
            width: 200
            height: 40
            decimals: 0
            min: 0
            max: 1200
            value: source.value
        }
    }
    SignalSpy {
        id: modified
        signalName: "valueModified"
    }

    function make(component, props) {
        const spin = createTemporaryObject(component || spinComponent, root, props || {})
        verify(spin)
        modified.clear()
        modified.target = spin
        return spin
    }
    function field(spin) {
        return findChild(spin, "textInput")
    }
    function typeAndEnter(spin, text) {
        const input = field(spin)
        input.forceActiveFocus()
        input.selectAll()
        if (text === "")
            keyClick(Qt.Key_Delete)
        else
            for (const c of text)
                keyClick(c)
        keyClick(Qt.Key_Return)
    }

    function test_scaling_data() {
        return [
            { tag: "defaults", props: {}, from: -10000, to: 10000, value: 50, text: "0.50", real: 0.5 },
            { tag: "no decimals", props: { decimals: 0, value: 7 }, from: -100, to: 100, value: 7, text: "7", real: 7 },
            { tag: "one decimal", props: { decimals: 1, min: 0, max: 5, value: 23 }, from: 0, to: 50, value: 23, text: "2.3", real: 2.3 },
            { tag: "clamped from outside", props: { decimals: 0, min: 0, max: 10, value: 40 }, from: 0, to: 10, value: 10, text: "10", real: 10 },
        ]
    }
    function test_scaling(data) {
        const spin = make(spinComponent, data.props)
        compare(spin.from, data.from)
        compare(spin.to, data.to)
        compare(spin.value, data.value)
        compare(field(spin).text, data.text)
        compare(spin.real_value, data.real)
        compare(spin.decimalToInt(1.15), Math.round(1.15 * spin.decimal_factor))
        compare(modified.count, 0)
    }

    // What a typed edit confirmed with Enter leaves, and how often it signals.
    function test_typedEdit_data() {
        return [
            { tag: "a number", text: "1.15", value: 115, signals: 1, shown: "1.15" },
            { tag: "the same number", text: "0.5", value: 50, signals: 1, shown: "0.50" },
            { tag: "above the maximum", text: "500", value: 10000, signals: 1, shown: "100.00" },
            { tag: "emptied", text: "", value: 50, signals: 0, shown: "0.50" },
            { tag: "only a sign", text: "-", value: 50, signals: 0, shown: "0.50" },
        ]
    }
    function test_typedEdit(data) {
        const spin = make()
        typeAndEnter(spin, data.text)
        compare(spin.value, data.value)
        compare(modified.count, data.signals)
        tryCompare(field(spin), "text", data.shown)
    }

    // An emptied field that loses the focus keeps the value, shows it again
    // and signals nothing: the machine must not get 0.
    function test_emptiedThenFocusLost() {
        const spin = make(spinComponent, { decimals: 0, min: 10, max: 1200, value: 300 })
        const input = field(spin)
        input.forceActiveFocus()
        input.selectAll()
        keyClick(Qt.Key_Delete)
        compare(input.text, "")
        test.forceActiveFocus()
        compare(spin.value, 300)
        compare(modified.count, 0)
        compare(input.text, "300")
    }

    // A typed edit does not end the user's binding: the field follows its
    // source again afterwards.
    function test_bindingKeptAfterEdit() {
        source.value = 300
        const spin = make(boundComponent)
        compare(spin.value, 300)
        typeAndEnter(spin, "450")
        compare(spin.value, 450)
        compare(modified.count, 1)
        source.value = 500
        compare(spin.value, 500)
        spin.increase()
        source.value = 600
        compare(spin.value, 600)
    }

    // Press and hold +: one step 10 ms after the press, the next 500 ms
    // later, then one every 10 ms; the release signals once.
    function test_holdStepping() {
        const spin = make(spinComponent, { decimals: 0, min: 0, max: 100000, value: 0 })
        const up = findChild(spin, "upIndicator")
        field(spin).forceActiveFocus()
        tryCompare(up, "visible", true)
        mousePress(up)
        const pressed = Date.now()
        tryCompare(spin, "value", 1, 5000)
        const timer = findChild(spin, "longPressTimer")
        compare(timer.interval, 500)
        tryVerify(function() { return spin.value >= 2 }, 5000)
        verify(Date.now() - pressed >= 450, "the second step waits half a second")
        tryVerify(function() { return spin.value >= 10 }, 5000)
        compare(modified.count, 0)
        mouseRelease(up)
        compare(modified.count, 1)
        const held = spin.value
        wait(50)
        compare(spin.value, held)
    }

    function test_quickPressAndBounds_data() {
        return [
            { tag: "released before the first step", value: 5, indicator: "upIndicator", wait: false, after: 5 },
            { tag: "down at the minimum", value: 0, indicator: "downIndicator", wait: true, after: 0 },
            { tag: "up at the maximum", value: 10, indicator: "upIndicator", wait: true, after: 10 },
        ]
    }
    function test_quickPressAndBounds(data) {
        const spin = make(spinComponent, { decimals: 0, min: 0, max: 10, value: data.value })
        const indicator = findChild(spin, data.indicator)
        field(spin).forceActiveFocus()
        tryCompare(indicator, "visible", true)
        mousePress(indicator)
        if (data.wait)
            tryCompare(findChild(spin, "longPressTimer"), "interval", 500, 5000)
        mouseRelease(indicator)
        compare(spin.value, data.after)
        compare(modified.count, 1)
    }

    function test_reversedRangeAndLook() {
        const spin = make(spinComponent, { decimals: 1, min: 5, max: -5, show_border: false })
        compare(spin.validator.bottom, -5)
        compare(spin.validator.top, 5)
        compare(spin.background.border.width, 0)
        const line = findChild(spin, "underline")
        compare(line.visible, false)
        mouseMove(spin, 100, 10)
        tryCompare(line, "visible", true)
    }
}
}
