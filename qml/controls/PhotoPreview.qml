import QtQuick

// One picture over the whole item, kept whole; a click reports closed() and
// the user decides what closing means.
Item {
    id: root

    property alias source: preview.source

    signal closed()

    Accessible.role: Accessible.Graphic
    Accessible.name: qsTr("图片预览")
    Accessible.onPressAction: root.closed()

    Image {
        id: preview
        objectName: "preview"
        anchors.fill: parent
        fillMode: Image.PreserveAspectFit
        smooth: true
    }
    MouseArea {
        anchors.fill: parent
        onClicked: root.closed()
    }
}
