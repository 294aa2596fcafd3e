import QtQuick
import QtQuick.Controls
import Dravolinte2024

// A switch parameter: the check box carries the parameter's name.
CheckBox {
    id: root

    property int createType: 0
    property bool isTmp: false

    function refresh(val) {
        text = config.getPropertyName(createType)
        checked = (val === true || val === "true")
    }

    height: Theme.rowHeight
    Accessible.name: text
    text: config.getPropertyName(createType)
    checked: config.getProperty(createType) === true || config.getProperty(createType) === "true"

    RowBehaviour { id: behaviour; row: root }

    onClicked: behaviour.write(checked)
}
