import QtQuick

// The press area of a spin box indicator: a press starts the spin box's
// stepping timer, the release or cancel stops it and reports the value once.
MouseArea {
    property var spinBox
    property var indicator
    property var timer
    property bool increase: true

    function finish() {
        if (!indicator.pressed)
            return
        indicator.pressed = false
        timer.stop()
        spinBox.valueModified()
    }

    onPressed: {
        indicator.pressed = true
        timer.increase = increase
        timer.interval = 10
        timer.cnt = 0
        timer.restart()
    }
    onReleased: finish()
    onCanceled: finish()
}
