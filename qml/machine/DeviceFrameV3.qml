import QtQuick

// The 7x5 and 7x6 machines: feed, rewind and two laminating motors, the
// rewind and laminating dancer pairs. The banner is rendered at the
// diagram's own size.
MachineDiagram {
    id: control

    banner: "file:Dravolinte/res/banner3.svg"
    bannerUnits: 580.0
    bannerImage.sourceSize.width: control.width
    bannerImage.sourceSize.height: control.height

    DiagramMotor { objectName: "firstCircle"; picture: "file:Dravolinte/res/01.svg"; unitHeight: 80; unitX: 50; unitY: 80; running: device.feedMotorRunning }
    DiagramMotor { objectName: "secondCircle"; picture: "file:Dravolinte/res/02.svg"; unitHeight: 70; unitX: 80; unitY: 260; running: device.collectMotorRunning }
    DiagramMotor { objectName: "fourthCircle"; picture: "file:Dravolinte/res/04.svg"; unitHeight: 100; unitX: 345; unitY: 75; running: device.filmMotorRunning }
    DiagramMotor { objectName: "sixthCircle"; picture: "file:Dravolinte/res/01.svg"; unitHeight: 80; unitX: 475; unitY: 240; running: device.filmMotorRunning }

    DiagramDancer { objectName: "receivingCircle"; roller: DiagramDancer.Rewind; unitX: 210; unitHeight: 80; base: 200; span: 80; picture: "file:Dravolinte/res/circle.svg" }
    DiagramDancer { roller: DiagramDancer.Rewind; unitX: 225; unitHeight: 80; base: 200; span: 80; picture: "file:Dravolinte/res/circle.svg" }
    DiagramDancer { objectName: "fillCircle"; roller: DiagramDancer.Laminating; unitX: 320; unitHeight: 80; base: 200; span: 80; picture: "file:Dravolinte/res/circle.svg" }
    DiagramDancer { roller: DiagramDancer.Laminating; unitX: 336; unitHeight: 80; base: 200; span: 80; picture: "file:Dravolinte/res/circle.svg" }
}
