import QtQuick
import QtQuick.Controls
import ORUN_Config
import QtQuick.Dialogs

// A path parameter: a button showing the stored path that opens a folder
// dialog (cut-file and hot folders) or a program dialog. What the dialog
// returns becomes a path through the one local-file conversion.
Item {
    id: root

    property int createType: 0
    property bool isTmp: false
    readonly property bool choosesFolder: createType === ORUN_Config.CPT_Plt_Dir || createType === ORUN_Config.CPT_RIIN_Input

    function refresh(val) {
        label.text = config.getPropertyName(createType)
        button.text = String(val)
    }
    // Takes what a dialog returned; also called directly by tests. A URL
    // that is not a local file stores nothing.
    function accept(url) {
        const path = app.localPath(url)
        if (path === "") {
            console.log("FileDialogProperty: not a local file:", url)
            return
        }
        behaviour.write(path)
        button.text = path
    }
    function openDialog() {
        const start = button.text === "" ? "" : app.fileUrl(button.text)
        if (choosesFolder) {
            if (start !== "")
                folderDialog.currentFolder = start
            folderDialog.open()
        } else {
            if (start !== "")
                fileDialog.selectedFile = start
            fileDialog.open()
        }
    }

    width: 460
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
        Button {
            id: button
            objectName: "button"
            width: 350
            height: 30
            font.pointSize: 9
            Accessible.name: label.text
            Accessible.description: text
            onClicked: root.openDialog()
        }
    }

    FileDialog {
        id: fileDialog
        objectName: "fileDialog"
        title: qsTr("选择程序")
        nameFilters: [qsTr("程序 (*.exe)")]
        onAccepted: root.accept(selectedFile)
    }
    FolderDialog {
        id: folderDialog
        objectName: "folderDialog"
        title: qsTr("选择文件夹")
        onAccepted: root.accept(selectedFolder)
    }

    Component.onCompleted: button.text = String(config.getProperty(createType))
}
