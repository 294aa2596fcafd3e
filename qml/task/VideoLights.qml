import QtQuick
import QtQuick.Controls
import Dravolinte2024

// The lights of the shown camera: the mark camera's fill light (0-255), or
// the check camera's top strip and bottom light (0-100). Each slider follows
// its stored level; each new whole level goes to the machine and is stored.
// When the page opens, every stored level other than 0 is sent, the lights
// of the hidden camera too.
Column {
    id: root

    spacing: 10

    // Sent once the rows are built, in their order.
    Component.onCompleted: {
        markRow.open()
        topRow.open()
        bottomRow.open()
    }

    LightRow {
        id: markRow
        objectName: "markLightRow"
        label: qsTr("补光灯")
        visible: config.showCamera === 0
        to: 255
        stored: config.markLight
        machine: function(level) { device.wMarkLight(level) }
        store: function(level) { config.markLight = level }
    }
    LightRow {
        id: topRow
        objectName: "checkLightRow"
        label: qsTr("顶灯")
        visible: config.showCamera === 1
        to: 100
        stored: config.checkLight
        machine: function(level) { device.wCheckLightStrip(level) }
        store: function(level) { config.checkLight = level }
    }
    LightRow {
        id: bottomRow
        objectName: "checkBKLightRow"
        label: qsTr("底灯")
        visible: config.showCamera === 1
        to: 100
        stored: config.checkBKLight
        machine: function(level) { device.wCheckBackgroundLight(level) }
        store: function(level) { config.checkBKLight = level }
    }

    component LightRow: Row {
        id: row

        property string label
        property real to: 100
        property int stored: 0
        property var machine
        property var store
        // The level last sent; -1 before the page is complete.
        property int sent: -1

        function apply(v) {
            const level = Math.round(v)
            if (sent < 0 || level === sent)
                return
            sent = level
            machine(level)
            store(level)
        }

        width: root.width
        height: Theme.rowHeight
        spacing: 10

        Label {
            width: 80
            height: Theme.rowHeight
            text: row.label
            font.pointSize: Theme.labelSize
            color: Theme.labelColor
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
        Slider {
            id: slider
            objectName: "slider"
            width: row.width - 120
            height: Theme.rowHeight
            from: 0
            to: row.to
            stepSize: 0
            live: true
            value: row.stored
            Accessible.name: row.label
            onValueChanged: row.apply(value)
        }
        Label {
            objectName: "level"
            width: 20
            height: Theme.rowHeight
            text: Math.round(slider.value)
            Accessible.name: row.label
            verticalAlignment: Text.AlignVCenter
        }

        // A stored level beyond the slider goes to the machine at the
        // slider's bound and stays stored until the operator moves it.
        function open() {
            const level = Math.max(0, Math.min(Math.round(to), stored))
            sent = level
            if (level !== 0)
                machine(level)
        }
    }
}
