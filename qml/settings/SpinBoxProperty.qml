import QtQuick
import QtQuick.Controls
import Dravolinte2024

// A number parameter: its name and a whole-number spin box within the
// parameter's own bounds.
Item {
    id: root

    property int createType: 0
    property bool isTmp: false

    function refresh(val) {
        label.text = config.getPropertyName(createType)
        spin.value = Number(val)
        spin.update()
    }

    width: 230
    height: 30

    RowBehaviour { id: behaviour; row: root }

    Row {
        spacing: 10
        height: 30
        Label {
            id: label
            width: 110
            height: 30
            horizontalAlignment: Text.AlignRight
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideLeft
            color: "black"
            text: config.getPropertyName(root.createType)
        }
        NuSpinBox {
            id: spin
            objectName: "spin"
            width: 110
            height: 25
            anchors.verticalCenter: parent.verticalCenter
            font.pointSize: 9
            decimals: 0
            // The parameter's own bounds before its value, so that a stored
            // 5000 copies or -200 degrees shows as it is, not clamped.
            min: config.getPropertyMin(root.createType)
            max: config.getPropertyMax(root.createType)
            value: Number(config.getProperty(root.createType))
            Accessible.name: label.text
            onValueModified: behaviour.write(value)
        }
    }
}
