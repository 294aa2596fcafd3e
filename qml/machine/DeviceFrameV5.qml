import QtQuick

// The 7x8 machine: the pictures of the 7x7 at other places, no print
// dancer, and the feed motor turning with the laminating motor.
MachineDiagram {
    banner: "file:Dravolinte/res/banner5.svg"
    bannerUnits: 595
    acrossHeight: true

    DiagramMotor { picture: "file:Dravolinte/res/collect.svg"; unitHeight: 120; unitX: 9; unitY: 87; running: device.collectMotorRunning }
    DiagramMotor { picture: "file:Dravolinte/res/collect1.svg"; unitHeight: 90; unitX: 29; unitY: 448; running: device.collectMotorRunning }
    DiagramMotor { picture: "file:Dravolinte/res/waste.svg"; unitHeight: 70; unitX: 463; unitY: 90; running: device.collectMotorRunning }
    DiagramMotor { picture: "file:Dravolinte/res/film.svg"; unitHeight: 60; unitX: 705; unitY: 115; running: device.filmMotorRunning }
    DiagramMotor { picture: "file:Dravolinte/res/feed.svg"; unitHeight: 100; unitX: 728; unitY: 433; running: device.filmMotorRunning }

    DiagramDancer { objectName: "receivingCircle"; roller: DiagramDancer.Rewind; unitX: 610.5; unitHeight: 22; base: 315; span: 85; picture: "file:Dravolinte/res/roll.svg" }
    DiagramDancer { roller: DiagramDancer.Rewind; unitX: 630; unitHeight: 22; base: 315; span: 85; picture: "file:Dravolinte/res/roll.svg" }
    DiagramDancer { objectName: "fillCircle"; roller: DiagramDancer.Laminating; unitX: 713; unitHeight: 22; base: 315; span: 85; picture: "file:Dravolinte/res/roll.svg" }
    DiagramDancer { roller: DiagramDancer.Laminating; unitX: 730.5; unitHeight: 22; base: 315; span: 85; picture: "file:Dravolinte/res/roll.svg" }
}
