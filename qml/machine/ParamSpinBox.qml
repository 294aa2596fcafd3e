import QtQuick
import Dravolinte2024

// A spin box of the parameter page that shows a value the machine or the
// store holds (stored) and goes on following it after the operator's edits.
// When a write is refused, showStored() puts the held value back in place
// of the one typed.
NuSpinBox {
    id: control

    property real stored: 0

    function showStored() {
        value = Qt.binding(function() { return control.decimalToInt(control.stored) })
    }

    width: 200
    height: Theme.rowHeight
    value: decimalToInt(stored)
}
