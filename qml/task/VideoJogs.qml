import QtQuick
import QtQuick.Controls
import Dravolinte2024
import ORUN_Config

// The hold-to-run jogs, only while no task exists. With the mark camera
// shown they move the axes (the Y signs follow the cut coordinates); with
// the check camera shown only "←" works, running the web backwards through
// the rewind motor (and the trim motor while trim is on). Each release stops
// what its press started.
Item {
    id: root

    readonly property bool idle: app.taskStatus === TaskStatus.Stopped
    readonly property bool markShown: config.showCamera === 0

    // Start functions: each starts a motion and returns its stop.
    function moveY(towardsTop) {
        const dir = (config.cutCoordinates === 0) === towardsTop ? -1 : 1
        device.wMoveY(dir)
        return function() { device.wMoveY(0) }
    }
    function moveX(dir) {
        device.wMoveX(dir)
        return function() { device.wMoveX(0) }
    }
    function runLeft() {
        if (config.showCamera === 0)
            return moveX(-1)
        if (config.trim) {
            device.wCollectMotor(30, 10000)
            device.wTrimMotorX(35, 10000)
            return function() {
                device.wCollectMotor(0, 0)
                device.wTrimMotorX(0, 0)
            }
        }
        device.wCollectMotor(50, 10000)
        return function() { device.wCollectMotor(0, 0) }
    }

    height: 100

    JogButton {
        objectName: "jogUp"
        anchors.horizontalCenter: parent.horizontalCenter
        y: 0
        text: "↑"
        Accessible.name: qsTr("向上")
        enabled: root.markShown && root.idle
        start: function() { return root.moveY(true) }
    }
    JogButton {
        objectName: "jogDown"
        anchors.horizontalCenter: parent.horizontalCenter
        y: 70
        text: "↓"
        Accessible.name: qsTr("向下")
        enabled: root.markShown && root.idle
        start: function() { return root.moveY(false) }
    }
    JogButton {
        objectName: "jogLeft"
        anchors.right: parent.horizontalCenter
        anchors.rightMargin: 40
        y: 35
        text: "←"
        Accessible.name: qsTr("向左")
        enabled: root.idle
        start: function() { return root.runLeft() }
    }
    JogButton {
        objectName: "jogRight"
        anchors.left: parent.horizontalCenter
        anchors.leftMargin: 40
        y: 35
        text: "→"
        Accessible.name: qsTr("向右")
        enabled: root.markShown && root.idle
        start: function() { return root.markShown ? root.moveX(1) : null }
    }

    component JogButton: HoldButton {
        width: 70
        height: Theme.rowHeight
    }
}
