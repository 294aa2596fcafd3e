import QtQuick
import QtQuick.Controls
import Dravolinte2024

// A number parameter: its name and a whole-number spin box within the
// parameter's own bounds.
PropertyRow {
    id: root

    function refresh(val) {
        root.label = config.getPropertyName(createType)
        spin.value = Number(val)
        spin.update()
    }

    width: 230

    NuSpinBox {
        id: spin
        objectName: "spin"
        width: 110
        height: 25
        anchors.verticalCenter: parent.verticalCenter
        font.pointSize: Theme.controlSize
        decimals: 0
        // The parameter's own bounds before its value, so that a stored
        // 5000 copies or -200 degrees shows as it is, not clamped.
        min: config.getPropertyMin(root.createType)
        max: config.getPropertyMax(root.createType)
        value: Number(config.getProperty(root.createType))
        Accessible.name: root.label
        onValueModified: root.write(value)
    }
}
