import QtQuick
import QtQuick.Controls
import Dravolinte2024
import ORUN_Config

// The settings: one section per group of the store, one row per listed
// parameter, built once. Rows stage their edits; "保存" applies them.
PopupLook {
    id: control

    title: qsTr("设置")
    implicitWidth: 750
    implicitHeight: 400

    // The row document for a parameter, or "" (logged) for a value without one.
    function rowFile(id, value) {
        if (id === ORUN_Config.CPT_Enable_Print_Marker_Type || id === ORUN_Config.CPT_Enable_Cut_Marker_Type)
            return "ComboBoxProperty.qml"
        switch (typeof value) {
        case "boolean": return "CheckBoxProperty.qml"
        case "number": return "SpinBoxProperty.qml"
        case "string": return "FileDialogProperty.qml"
        }
        console.error("未实现的类型", typeof value)
        return ""
    }
    // A restore shows the restored values: edits staged before it are dropped,
    // or the next "保存" would write them over what the operator now sees.
    function restore(factory) {
        config.discardCfg()
        if (factory)
            config.resetFactoryCfg()
        else
            config.resetDefaultCfg()
    }

    contentItem: Column {
        spacing: 5

        TitleBar {
            id: rect_title
            width: control.width
            title: control.title
            onCloseRequested: control.close()
        }

        ScrollView {
            id: scroll
            x: 5
            width: control.width - 10
            height: control.height - rect_title.height - saveButton.height - 15
            clip: true
            Column {
                id: propertyArea
                objectName: "propertyArea"
                width: control.width - 20
            }
        }

        Row {
            anchors.right: parent.right
            anchors.rightMargin: 10
            spacing: 10

            Button {
                Accessible.name: text
                objectName: "factoryButton"
                height: Theme.rowHeight
                font.pointSize: Theme.controlSize
                text: qsTr("恢复出厂设置")
                onClicked: factoryBox.open()
            }
            Button {
                Accessible.name: text
                objectName: "restoreButton"
                height: Theme.rowHeight
                font.pointSize: Theme.controlSize
                text: qsTr("恢复默认设置")
                visible: config.hasDefaultCfg
                onClicked: restoreBox.open()
            }
            Button {
                Accessible.name: text
                objectName: "saveDefaultButton"
                height: Theme.rowHeight
                font.pointSize: Theme.controlSize
                text: qsTr("保存默认设置")
                onClicked: saveDefaultBox.open()
            }
            Button {
                Accessible.name: text
                id: saveButton
                objectName: "saveButton"
                width: 80
                height: Theme.rowHeight
                font.pointSize: Theme.controlSize
                text: qsTr("保存")
                onClicked: config.saveCfg()
            }

            ConfirmBox {
                id: factoryBox
                objectName: "factoryBox"
                text: qsTr("确定要恢复到出厂设置 ？")
                onClickedOk: control.restore(true)
            }
            ConfirmBox {
                id: restoreBox
                objectName: "restoreBox"
                text: qsTr("确定要恢复到默认设置 ？")
                onClickedOk: control.restore(false)
            }
            ConfirmBox {
                id: saveDefaultBox
                objectName: "saveDefaultBox"
                text: qsTr("确定要保存当前设置为默认设置 ？")
                onClickedOk: config.saveDefaultCfg()
            }
        }
    }

    Component {
        id: propertyComponent
        Column {
            id: section
            property string createType
            objectName: "section_" + createType
            width: propertyArea.width - 20
            visible: config.isShowPorperty(createType)

            Label {
                x: 5
                width: parent.width
                height: Theme.rowHeight
                font.pixelSize: 14
                font.bold: true
                color: Theme.textColor
                verticalAlignment: Text.AlignVCenter
                text: section.createType
            }
            Flow {
                id: flow
                width: parent.width
                spacing: 10
            }
            Connections {
                target: config
                function onPropertyChanged(key, val) {
                    section.visible = config.isShowPorperty(section.createType)
                }
            }
            Component.onCompleted: {
                const ids = config.getShowProperties(createType)
                for (let i = 0; i < ids.length; ++i) {
                    const id = ids[i]
                    const value = config.getProperty(id)
                    const file = control.rowFile(id, value)
                    if (file === "")
                        continue
                    const component = Qt.createComponent(file)
                    if (component.status !== Component.Ready) {
                        console.error("未生成的类型", config.getPropertyName(id), value, typeof value, file, component.errorString())
                        continue
                    }
                    component.createObject(flow, { "createType": id, "isTmp": true })
                }
            }
        }
    }

    Component.onCompleted: {
        const groups = config.getShowPropertiesClass()
        for (let i = 0; i < groups.length; ++i)
            propertyComponent.createObject(propertyArea, { "createType": groups[i] })
    }
}
