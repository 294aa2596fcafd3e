import QtQml

// What every parameter row does with the store: shown while the store says
// so, re-read on every propertyChanged; its own key refreshes its editor;
// the operator's change is stored at once or staged (isTmp).
QtObject {
    id: behaviour

    // The row: has createType, isTmp, visible and a function refresh(val).
    property var row

    function write(value) {
        if (row.isTmp)
            config.saveProperty(row.createType, value, true)
        else if (value != config.getProperty(row.createType))
            config.saveProperty(row.createType, value, false)
    }

    readonly property Connections storeWatch: Connections {
        target: config
        function onPropertyChanged(key, val) {
            behaviour.row.visible = config.isShowPorperty(behaviour.row.createType)
            if (key === behaviour.row.createType)
                behaviour.row.refresh(val)
        }
    }

    Component.onCompleted: row.visible = config.isShowPorperty(row.createType)
}
