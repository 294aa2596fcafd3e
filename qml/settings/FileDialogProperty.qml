import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import Dravolinte2024
import ORUN_Config

// A path parameter: a button showing the stored path that opens a folder
// dialog (cut-file and hot folders) or a program dialog. What the dialog
// returns becomes a path through the one local-file conversion.
PropertyRow {
    id: root

    readonly property bool choosesFolder: createType === ORUN_Config.CPT_Plt_Dir || createType === ORUN_Config.CPT_RIIN_Input

    function refresh(val) {
        root.label = config.getPropertyName(createType)
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
        root.write(path)
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

    Button {
        id: button
        objectName: "button"
        width: 350
        height: Theme.rowHeight
        font.pointSize: Theme.controlSize
        Accessible.name: root.label
        Accessible.description: text
        onClicked: root.openDialog()
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
