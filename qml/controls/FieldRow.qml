import QtQuick
import QtQuick.Controls
import Dravolinte2024

// A labelled field, one row high: the label, an optional axis ("X") after
// it, the field (what the row is given to hold) and an optional unit. A
// part left empty takes no room. A field lower than the row centres itself
// (anchors.verticalCenter: parent.verticalCenter).
Row {
    id: row

    property string label
    property real labelWidth: 100
    property int labelAlignment: Text.AlignHCenter
    property int labelElide: Text.ElideNone
    property color labelColor: Theme.labelColor
    property font labelFont: Qt.font({ pointSize: Theme.labelSize })
    property string axis
    property string unit
    property font unitFont: Qt.font({ pointSize: Theme.unitSize })
    property int unitAlignment: Text.AlignLeft
    default property alias field: slot.data

    height: Theme.rowHeight

    Label {
        objectName: "label"
        width: row.labelWidth
        height: row.height
        text: row.label
        font: row.labelFont
        color: row.labelColor
        elide: row.labelElide
        horizontalAlignment: row.labelAlignment
        verticalAlignment: Text.AlignVCenter
    }
    Label {
        objectName: "axis"
        height: row.height
        visible: row.axis !== ""
        text: row.axis
        font: row.labelFont
        color: row.labelColor
        verticalAlignment: Text.AlignVCenter
    }
    Item {
        id: slot
        objectName: "field"
        width: childrenRect.width
        height: row.height
    }
    Label {
        objectName: "unit"
        height: row.height
        visible: row.unit !== ""
        text: row.unit
        font: row.unitFont
        color: Theme.unitColor
        horizontalAlignment: row.unitAlignment
        verticalAlignment: Text.AlignVCenter
    }
}
