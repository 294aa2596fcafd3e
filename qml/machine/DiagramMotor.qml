import QtQuick

// A motor of a machine diagram: one counter-clockwise turn every two seconds
// while running; it stops where it is, and starts afresh from the top.
DiagramPicture {
    id: root

    property bool running: false

    SequentialAnimation on rotation {
        running: root.running
        loops: Animation.Infinite
        NumberAnimation {
            from: 360
            to: 0
            duration: 2000
        }
    }
}
