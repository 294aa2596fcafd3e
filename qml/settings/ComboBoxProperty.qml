import QtQuick
import QtQuick.Controls
import ORUN_Config

// A list parameter: the marker types, "无" or "二维码".
Item {
    id: root

    property int createType: 0
    property bool isTmp: false

    function refresh(val) {
        label.text = config.getPropertyName(createType)
        box.currentIndex = Number(val)
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
        ComboBox {
            id: box
            objectName: "box"
            width: 110
            height: 25
            anchors.verticalCenter: parent.verticalCenter
            textRole: "text"
            model: ListModel { id: entries }
            currentIndex: -1
            Accessible.name: label.text
            // Only the operator's pick is written, not a refresh.
            onActivated: function(index) { behaviour.write(index) }
        }
    }

    Component.onCompleted: {
        if (createType === ORUN_Config.CPT_Enable_Print_Marker_Type || createType === ORUN_Config.CPT_Enable_Cut_Marker_Type) {
            entries.append({ "text": qsTr("无") })
            entries.append({ "text": qsTr("二维码") })
        }
        const stored = Number(config.getProperty(createType))
        box.currentIndex = stored >= 0 && stored < entries.count ? stored : -1
    }
}
