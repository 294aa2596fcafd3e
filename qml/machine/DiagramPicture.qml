import QtQuick

// A picture of a machine diagram at (unitX, unitY) in banner units, rendered
// unitHeight units high at the diagram's scale; its width follows the
// picture. A child of the diagram's drawing area, whose coef it reads; its
// picture loads only while the diagram is the one shown.
Image {
    property url picture
    property real unitX: 0
    property real unitY: 0
    property real unitHeight: 0
    readonly property real coef: parent ? parent.coef : 0

    source: parent && parent.shown ? picture : ""
    x: coef * unitX
    y: coef * unitY
    sourceSize.height: coef * unitHeight
    Accessible.ignored: true
}
