import QtQuick
import Dravolinte2024

// The frame of a parameter's row: the parameter's name in front of the
// editor the row is given, kept in step with the store by RowBehaviour. A
// row defines refresh(val) and writes the operator's change with write().
FieldRow {
    id: root

    property int createType: 0
    property bool isTmp: false
    // Nothing of its own: the names keep the font of the popup around them.
    property font popupFont

    function write(value) {
        behaviour.write(value)
    }

    spacing: 10
    labelWidth: 110
    labelAlignment: Text.AlignRight
    labelElide: Text.ElideLeft
    labelColor: Theme.textColor
    labelFont: popupFont
    label: config.getPropertyName(createType)

    RowBehaviour { id: behaviour; row: root }
}
