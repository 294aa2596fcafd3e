import QtQuick

// The 7x7 machine: its own pictures, dancers as small rolls with a longer
// travel, measured down the banner.
MachineDiagram {
    banner: "file:Dravolinte/res/banner4.svg"
    bannerUnits: 595
    acrossHeight: true

    DiagramMotor { picture: "file:Dravolinte/res/collect.svg"; unitHeight: 71; unitX: 40; unitY: 43; running: device.collectMotorRunning }
    DiagramMotor { picture: "file:Dravolinte/res/collect1.svg"; unitHeight: 106; unitX: 29; unitY: 346; running: device.collectMotorRunning }
    DiagramMotor { picture: "file:Dravolinte/res/waste.svg"; unitHeight: 55; unitX: 355; unitY: 61; running: device.collectMotorRunning }
    DiagramMotor { picture: "file:Dravolinte/res/film.svg"; unitHeight: 53; unitX: 513; unitY: 100; running: device.filmMotorRunning }
    DiagramMotor { picture: "file:Dravolinte/res/feed.svg"; unitHeight: 135; unitX: 705; unitY: 329; running: device.feedMotorRunning }

    DiagramDancer { objectName: "receivingCircle"; roller: DiagramDancer.Rewind; unitX: 400; unitHeight: 22; base: 270; span: 160; picture: "file:Dravolinte/res/roll.svg" }
    DiagramDancer { roller: DiagramDancer.Rewind; unitX: 417; unitHeight: 22; base: 270; span: 160; picture: "file:Dravolinte/res/roll.svg" }
    DiagramDancer { objectName: "fillCircle"; roller: DiagramDancer.Laminating; unitX: 524.5; unitHeight: 22; base: 270; span: 160; picture: "file:Dravolinte/res/roll.svg" }
    DiagramDancer { roller: DiagramDancer.Laminating; unitX: 541.5; unitHeight: 22; base: 270; span: 160; picture: "file:Dravolinte/res/roll.svg" }
    DiagramDancer { objectName: "printCircleleft"; roller: DiagramDancer.Print; unitX: 567; unitHeight: 22; base: 270; span: 160; picture: "file:Dravolinte/res/roll.svg" }
    DiagramDancer { objectName: "printCircleright"; roller: DiagramDancer.Print; unitX: 584; unitHeight: 22; base: 270; span: 160; picture: "file:Dravolinte/res/roll.svg" }
}
