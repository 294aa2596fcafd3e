import QtQuick
import QtQuick.Controls

// The unit after a number field ("mm", "gf", "份").
Label {
    height: 30
    font.pointSize: 9
    color: Qt.rgba(0.5, 0.5, 0.5, 0.8)
    verticalAlignment: Text.AlignVCenter
}
