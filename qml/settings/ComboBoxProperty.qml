import QtQuick
import QtQuick.Controls
import Dravolinte2024
import ORUN_Config

// A list parameter: the marker types, "无" or "二维码".
PropertyRow {
    id: root

    function refresh(val) {
        root.label = config.getPropertyName(createType)
        box.currentIndex = Number(val)
    }

    width: 230

    ComboBox {
        id: box
        objectName: "box"
        width: 110
        height: 25
        anchors.verticalCenter: parent.verticalCenter
        textRole: "text"
        model: ListModel { id: entries }
        currentIndex: -1
        Accessible.name: root.label
        // Only the operator's pick is written, not a refresh.
        onActivated: function(index) { root.write(index) }
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
