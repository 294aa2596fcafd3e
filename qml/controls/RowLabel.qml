import QtQuick
import QtQuick.Controls

// The label in front of a row of the file and camera pages' right panels.
Label {
    height: 30
    font.pointSize: 10
    color: Qt.rgba(0.1, 0.1, 0.1, 0.8)
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
}
