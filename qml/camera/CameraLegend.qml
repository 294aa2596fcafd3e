import QtQuick
import QtQuick.Controls

// What the colours of the lost-label map mean: a swatch per colour, its
// meaning in a tool tip while the pointer is over it.
Column {
    id: root

    property int lineWidth: 50
    property int toolTipDelay: 500
    property int toolTipTimeOut: 5000

    spacing: 10

    Swatch {
        objectName: "swatchEdge"
        height: 10
        lineColor: "blue"
        tip: qsTr("蓝线表示纸张边界")
    }
    Swatch {
        objectName: "swatchCut"
        height: 10
        lineColor: "red"
        tip: qsTr("红线表示裁断线")
    }
    Swatch {
        objectName: "swatchMissing"
        color: Qt.rgba(1, 0, 0, 0.5)
        tip: qsTr("红色区域表示缺标")
    }
    Swatch {
        objectName: "swatchText"
        outline: Qt.rgba(0, 1, 0, 1)
        tip: qsTr("绿色表示文字识别")
    }
    Swatch {
        objectName: "swatchBarcode"
        outline: Qt.rgba(0.5, 0, 0.5, 1)
        tip: qsTr("紫色表示条形码识别")
    }
    Swatch {
        objectName: "swatchQr"
        outline: Qt.rgba(1, 0.65, 0, 1)
        tip: qsTr("橙色表示二维码识别")
    }

    // A line swatch has lineColor; a box swatch a fill or a border.
    component Swatch: Rectangle {
        id: swatch

        property string tip
        property color lineColor: "transparent"
        property color outline: "transparent"
        readonly property alias hovered: area.containsMouse

        width: root.lineWidth
        height: 20
        color: "transparent"
        border.width: outline.a > 0 ? 1 : 0
        border.color: outline
        Accessible.role: Accessible.StaticText
        Accessible.name: tip

        Rectangle {
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width
            height: 2
            visible: swatch.lineColor.a > 0
            color: swatch.lineColor
        }
        MouseArea {
            id: area
            anchors.fill: parent
            hoverEnabled: true
        }
        ToolTip {
            objectName: "tip"
            text: swatch.tip
            visible: area.containsMouse
            delay: root.toolTipDelay
            timeout: root.toolTipTimeOut
        }
    }
}
