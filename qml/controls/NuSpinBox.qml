import QtQuick
import QtQuick.Controls
import QtQuick.Templates as T
import Dravolinte2024

// The number field with a fixed number of decimals: value holds the number
// times decimal_factor, real_value the number. valueModified() is where users
// write the number back: after a finished edit and on every release of + or -.
//
// value is only ever changed through the spin box's own C++ paths (increase,
// decrease, its Return and focus handling), never assigned from here, so a
// binding the user put on value ("value: device.speed") keeps following its
// source after the operator's edits.
//
// Its parts are all its own, on the Basic style's metrics; it derives from
// the template rather than the Basic SpinBox because overriding that one's
// indicators again leaves their deferred creation open in Qt 6.4, which the
// engine reports at its end.
T.SpinBox {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            contentItem.implicitWidth + 2 * padding
                            + up.implicitIndicatorWidth + down.implicitIndicatorWidth)
    implicitHeight: Math.max(implicitContentHeight + topPadding + bottomPadding, implicitBackgroundHeight,
                             up.implicitIndicatorHeight, down.implicitIndicatorHeight)
    padding: 6
    leftPadding: padding + (control.mirrored ? (up.indicator ? up.indicator.width : 0) : (down.indicator ? down.indicator.width : 0))
    rightPadding: padding + (control.mirrored ? (down.indicator ? down.indicator.width : 0) : (up.indicator ? up.indicator.width : 0))

    property int radius: 2
    property int border_width: 1
    property color bk_color: Qt.rgba(0, 0, 0, 0)
    property int decimals: 2
    readonly property int decimal_factor: Math.pow(10, decimals)
    property real real_value: value / decimal_factor
    property real min: -100
    property real max: 100
    property bool show_border: true

    function decimalToInt(decimal) {
        return Math.round(decimal * decimal_factor)
    }

    // The typed text as a number, or NaN when it holds none.
    function numberFromText(text, locale) {
        const trimmed = String(text).trim()
        if (trimmed === "")
            return NaN
        try {
            return Number.fromLocaleString(locale, trimmed)
        } catch (e) {
            const n = Number(trimmed.replace(locale.decimalPoint, "."))
            return isNaN(n) ? NaN : n
        }
    }

    value: 50
    editable: true
    hoverEnabled: true
    stepSize: 1
    from: decimalToInt(min)
    to: decimalToInt(max)

    validator: DoubleValidator {
        bottom: Math.min(control.min, control.max)
        top: Math.max(control.min, control.max)
        decimals: control.decimals
        notation: DoubleValidator.StandardNotation
    }

    // Plain digits with the locale's decimal point: no group separators,
    // which the field would read back wrongly in some locales.
    textFromValue: function(value, locale) {
        const text = (value / control.decimal_factor).toFixed(control.decimals)
        return text.replace(".", locale.decimalPoint)
    }
    // Text without a number keeps the value as it is: an emptied field
    // confirmed by Enter or focus loss must not become 0 on the machine.
    valueFromText: function(text, locale) {
        const n = control.numberFromText(text, locale)
        return isNaN(n) ? control.value : Math.round(n * control.decimal_factor)
    }

    contentItem: TextInput {
        id: textInput
        objectName: "textInput"
        z: 2
        text: control.displayText
        font: control.font
        color: Theme.textColor
        selectionColor: "#21be2b"
        selectedTextColor: "#ffffff"
        horizontalAlignment: Qt.AlignHCenter
        verticalAlignment: Qt.AlignVCenter
        mouseSelectionMode: TextInput.SelectWords
        selectByMouse: true
        readOnly: !control.editable
        validator: control.validator
        inputMethodHints: Qt.ImhFormattedNumbersOnly
        Accessible.name: control.Accessible.name

        onEditingFinished: control.commitText(true)
        Keys.onReturnPressed: function(event) { control.commitUnacceptable(event) }
        Keys.onEnterPressed: function(event) { control.commitUnacceptable(event) }
        // The edit is finished here; the spin box would read the field once
        // more on the key's release and signal again.
        Keys.onReleased: function(event) {
            if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter)
                event.accepted = true
        }
        onActiveFocusChanged: {
            if (!activeFocus && !acceptableInput)
                control.commitText(false)
        }
    }

    // The end of a typed edit. A complete number is the operator's answer
    // even when it leaves the value as it is; a number out of range is
    // clamped, as the spin box would; a field without a number shows the
    // value again and changes nothing.
    function commitText(acceptable) {
        const n = numberFromText(textInput.text, locale)
        if (!isNaN(n)) {
            const lo = Math.min(from, to)
            const hi = Math.max(from, to)
            const v = Math.max(lo, Math.min(hi, Math.round(n * decimal_factor)))
            if (acceptable || v !== value) {
                setValueKeepingBinding(v)
                valueModified()
            }
        }
        textInput.text = Qt.binding(function() { return control.displayText })
    }
    function commitUnacceptable(event) {
        // An acceptable text goes on to the field, which ends the edit
        // (editingFinished); any other ends here.
        event.accepted = !textInput.acceptableInput
        if (event.accepted)
            commitText(false)
    }
    // Steps the value there through the spin box's own setter: an assignment
    // from here would end the user's binding on value.
    function setValueKeepingBinding(v) {
        const diff = v - value
        if (diff === 0)
            return
        const saved = stepSize
        stepSize = Math.abs(diff)
        if ((diff > 0) === (from <= to))
            increase()
        else
            decrease()
        stepSize = saved
    }

    up.indicator: Rectangle {
        objectName: "upIndicator"
        x: control.mirrored ? 0 : control.width - width
        z: 3
        height: control.height
        width: height
        implicitWidth: 40
        implicitHeight: 40
        visible: control.hovered || textInput.activeFocus
        color: control.up.pressed ? "#e4e4e4" : "#f6f6f6"
        border.color: "#e4e4e4"

        Text {
            anchors.fill: parent
            text: "+"
            font.pixelSize: control.font.pixelSize > 0 ? control.font.pixelSize * 2 : 12
            fontSizeMode: Text.Fit
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
    }

    down.indicator: Rectangle {
        objectName: "downIndicator"
        x: control.mirrored ? parent.width - width : 0
        z: 3
        height: control.height
        width: height
        implicitWidth: 40
        implicitHeight: 40
        visible: control.hovered || textInput.activeFocus
        color: control.down.pressed ? "#e4e4e4" : "#f6f6f6"
        border.color: "#e4e4e4"

        Text {
            anchors.fill: parent
            text: "-"
            font.pixelSize: control.font.pixelSize > 0 ? control.font.pixelSize * 2 : 12
            fontSizeMode: Text.Fit
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
    }

    background: Rectangle {
        implicitWidth: 140
        width: control.width
        height: control.height
        radius: control.radius
        color: control.bk_color
        border.width: control.show_border ? control.border_width : 0
        border.color: Theme.fieldBorderColor

        Rectangle {
            objectName: "underline"
            anchors.bottom: parent.bottom
            width: parent.width
            height: 1
            color: Qt.rgba(0.4, 0.4, 0.4, 1)
            visible: control.hovered || control.activeFocus || textInput.activeFocus
        }
    }

    // The press areas lie over the indicators rather than in them: the
    // template disables an indicator at its bound, and a press there still
    // reports the value on release.
    StepArea {
        objectName: "upArea"
        z: 4
        x: control.up.indicator.x
        y: control.up.indicator.y
        width: control.up.indicator.width
        height: control.up.indicator.height
        visible: control.up.indicator.visible
        spinBox: control
        indicator: control.up
        timer: longPressTimer
        increase: true
    }
    StepArea {
        objectName: "downArea"
        z: 4
        x: control.down.indicator.x
        y: control.down.indicator.y
        width: control.down.indicator.width
        height: control.down.indicator.height
        visible: control.down.indicator.visible
        spinBox: control
        indicator: control.down
        timer: longPressTimer
        increase: false
    }

    // Press and hold: a first step 10 ms after the press, a second 500 ms
    // later, then one every 10 ms; the release reports the value once.
    Timer {
        id: longPressTimer
        objectName: "longPressTimer"
        property int cnt: 0
        property bool increase: true
        interval: 10
        repeat: true
        running: false
        onTriggered: {
            if (increase)
                control.increase()
            else
                control.decrease()
            if (cnt === 0)
                interval = 500
            else if (cnt === 1)
                interval = 10
            cnt += 1
        }
    }
}
