import QtQuick
import QtQuick.Controls

// A hold-to-run button. start, a function the page gives, runs on the press
// and returns the function that stops what it started; that stop runs on
// the release, on a cancelled press and when the button goes while held.
// So the release undoes exactly what the press began, whatever the page
// shows by then, and nothing runs on with nobody holding it.
Button {
    id: control

    property var start: null
    property var running: null
    readonly property bool holding: running !== null

    function begin() {
        finish()
        if (typeof start !== "function")
            return
        const stop = start()
        running = typeof stop === "function" ? stop : null
    }
    function finish() {
        const stop = running
        running = null
        if (stop)
            stop()
    }

    onPressed: begin()
    onReleased: finish()
    onCanceled: finish()
    Component.onDestruction: finish()
}
