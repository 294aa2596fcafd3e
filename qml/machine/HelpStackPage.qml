import QtQuick
import QtQuick.Controls

// The firmware-update tab until the machine pages come.
Item {
    Label {
        anchors.centerIn: parent
        text: qsTr("固件更新")
        font.pixelSize: 24
        color: "black"
    }
}
