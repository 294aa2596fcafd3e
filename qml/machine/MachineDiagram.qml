import QtQuick

// What every machine diagram shares: the banner, fitted into the item with
// its proportions kept, and over it the drawing area, exactly as large as the
// painted banner. The diagram's pictures are children of that area and place
// themselves in the banner's own units, coef pixels each.
Rectangle {
    id: control

    // Pixels per banner unit.
    readonly property real coef: (acrossHeight ? img_dev.paintedHeight : img_dev.paintedWidth) * img_dev.scale / bannerUnits
    property url banner
    property alias bannerImage: img_dev
    // The diagram of the machine's own version; the others stay hidden and
    // load no pictures (they are rendered SVG, the most of a frame's making).
    property bool shown: true
    // How many units the banner spans, across or, with acrossHeight, down.
    property real bannerUnits: 580
    property bool acrossHeight: false
    default property alias content: area.data

    visible: shown
    color: "transparent"

    Image {
        id: img_dev
        objectName: "img_dev"
        anchors.fill: parent
        source: control.shown ? control.banner : ""
        fillMode: Image.PreserveAspectFit
        Accessible.ignored: true

        Rectangle {
            id: area
            objectName: "drawingArea"
            readonly property real coef: control.coef
            readonly property bool shown: control.shown
            anchors.centerIn: parent
            width: img_dev.paintedWidth
            height: img_dev.paintedHeight
            color: "transparent"
        }
    }
}
