import QtQuick

// The 7x4 machine: the waste motor turns with the feed, the feed motor
// picture stays still; rewind, laminating and print dancer pairs.
MachineDiagram {
    banner: "file:Dravolinte/res/banner2.svg"
    bannerUnits: 842

    DiagramMotor { picture: "file:Dravolinte/res/01.svg"; unitHeight: 100; unitX: 40; unitY: 130; running: device.feedMotorRunning }
    DiagramPicture { picture: "file:Dravolinte/res/g6.svg"; unitHeight: 150; unitX: 100; unitY: 120 }
    DiagramMotor { picture: "file:Dravolinte/res/02.svg"; unitHeight: 120; unitX: 45; unitY: 290; running: device.collectMotorRunning }
    DiagramMotor { picture: "file:Dravolinte/res/04.svg"; unitHeight: 120; unitX: 350; unitY: 130; running: device.filmMotorRunning }
    DiagramPicture { picture: "file:Dravolinte/res/05.svg"; unitHeight: 120; unitX: 390; unitY: 130 }
    DiagramPicture { picture: "file:Dravolinte/res/01.svg"; unitHeight: 100; unitX: 400; unitY: 310 }

    DiagramDancer { objectName: "receivingCircle"; roller: DiagramDancer.Rewind; unitX: 152; unitHeight: 150; base: 230; span: 80; picture: "file:Dravolinte/res/circle.svg" }
    DiagramDancer { roller: DiagramDancer.Rewind; unitX: 172; unitHeight: 150; base: 230; span: 80; picture: "file:Dravolinte/res/circle.svg" }
    DiagramDancer { objectName: "fillCircle"; roller: DiagramDancer.Laminating; unitX: 238; unitHeight: 150; base: 230; span: 80; picture: "file:Dravolinte/res/circle.svg" }
    DiagramDancer { roller: DiagramDancer.Laminating; unitX: 258; unitHeight: 150; base: 230; span: 80; picture: "file:Dravolinte/res/circle.svg" }
    DiagramDancer { objectName: "printCircleleft"; roller: DiagramDancer.Print; unitX: 474; unitHeight: 150; base: 215; span: 80; picture: "file:Dravolinte/res/circle.svg" }
    DiagramDancer { objectName: "printCircleright"; roller: DiagramDancer.Print; unitX: 493; unitHeight: 150; base: 215; span: 80; picture: "file:Dravolinte/res/circle.svg" }
}
