import QtQuick

// The 7x3 machine: two rewind rolls and the waste take-up, laminating roll,
// feed motor and roll, the rewind, laminating and print dancers, the web
// strip and the three levers.
MachineDiagram {
    id: control

    banner: "file:Dravolinte/res/banner.svg"
    bannerUnits: 580

    DiagramMotor { picture: "file:Dravolinte/res/01.svg"; unitHeight: 80; unitX: 30; unitY: 0; running: device.collectMotorRunning }
    DiagramMotor { picture: "file:Dravolinte/res/02.svg"; unitHeight: 80; unitX: 30; unitY: 160; running: device.collectMotorRunning }
    DiagramMotor { picture: "file:Dravolinte/res/03.svg"; unitHeight: 80; unitX: 180; unitY: 0; running: device.collectMotorRunning }
    DiagramMotor { picture: "file:Dravolinte/res/04.svg"; unitHeight: 80; unitX: 275; unitY: 25; running: device.filmMotorRunning }
    DiagramPicture { picture: "file:Dravolinte/res/05.svg"; unitHeight: 80; unitX: 300; unitY: 25 }
    DiagramMotor { picture: "file:Dravolinte/res/06.svg"; unitHeight: 80; unitX: 400; unitY: 170; running: device.feedMotorRunning }
    DiagramMotor { picture: "file:Dravolinte/res/07.svg"; unitHeight: 80; unitX: 535; unitY: 100; running: device.feedMotorRunning }

    Rectangle {
        objectName: "webStrip"
        x: parent.width * 0.11
        y: parent.height * 0.42
        width: parent.width * 0.68
        height: parent.height * 0.016
        color: "transparent"
        border.color: "#515151"
        border.width: 2
        Rectangle {
            anchors.fill: parent
            anchors.margins: parent.height * 0.30
            color: "#4bdeff"
            radius: parent.height / 2
        }
    }

    DiagramDancer { objectName: "receivingCircle"; roller: DiagramDancer.Rewind; unitX: 194; unitHeight: 90; base: 100; span: 80; picture: "file:Dravolinte/res/circle.svg" }
    DiagramDancer { objectName: "fillCircle"; roller: DiagramDancer.Laminating; unitX: 254; unitHeight: 90; base: 100; span: 80; picture: "file:Dravolinte/res/circle.svg" }
    DiagramDancer { objectName: "printCircleleft"; roller: DiagramDancer.Print; unitX: 292; unitHeight: 90; base: 100; span: 80; picture: "file:Dravolinte/res/circle.svg" }
    DiagramDancer { objectName: "printCircleright"; roller: DiagramDancer.Print; unitX: 309; unitHeight: 90; base: 100; span: 80; picture: "file:Dravolinte/res/circle.svg" }

    Lever { objectName: "leftOperateLeve"; markerX: 0.117; pictureX: 0.068 }
    Lever { objectName: "middleOperateLeve"; markerX: 0.383; pictureX: 0.334 }
    Lever { objectName: "rightOperateLeve"; markerX: 0.55; pictureX: 0.501 }

    // A lever and its marker, placed in fractions of the drawing area.
    component Lever: Item {
        property real markerX
        property real pictureX
        anchors.fill: parent
        Rectangle {
            x: parent.width * parent.markerX
            y: parent.height * 0.327
            width: parent.width * 0.008
            height: parent.height * 0.020
            color: "transparent"
            border.color: "#3f3f3f"
            border.width: 1
            radius: parent.width * 0.005
        }
        Image {
            x: parent.width * parent.pictureX
            y: parent.height * 0.2135
            source: control.shown ? "file:Dravolinte/res/operateLeve.svg" : ""
            sourceSize.width: parent.width * 0.15
            Accessible.ignored: true
        }
    }
}
