import QtQuick
import Dravolinte2024

// The pages' QML camera object ("DravolinteCamera") and their half of the
// capture hand-over: capture(c) takes a still with the mark camera (c 1) or
// the check camera (any other c) and answers with capturedMarkImage or
// capturedLabelImage carrying c and the picture (CameraSessions).
//
// The sessions bring the multimedia backend up, which takes longer than the
// rest of the window: they are made after the window's first frame, in
// slices between frames, or at once when a capture is asked for or start()
// is called. Until then there are no cameras, sessions or pending requests.
Item {
    id: root

    // Cameras and sessions as CameraSessions has them.
    readonly property var cameras: sessions.item ? sessions.item.cameras : []
    property bool testPicture: false
    readonly property bool bound: sessions.item ? sessions.item.bound : false
    readonly property int captureID: sessions.item ? sessions.item.captureID : 0
    readonly property var currCS: sessions.item ? sessions.item.currCS : null
    readonly property var markSession: sessions.item ? sessions.item.markSession : null
    readonly property var checkSession: sessions.item ? sessions.item.checkSession : null
    readonly property bool started: sessions.status === Loader.Ready

    signal capture(var c)
    signal capturedMarkImage(int id, var c)
    signal capturedLabelImage(int id, var c)
    signal capturedImage(int id, var c)

    // Makes the sessions now, if they are not there yet.
    function start() {
        sessions.now = true
    }
    function init_camera() {
        if (sessions.item)
            sessions.item.init_camera()
    }
    function update_camera() {
        if (sessions.item)
            sessions.item.update_camera()
    }
    // The requests of session's image capture, through which snapshots go too.
    function answersOf(session) {
        return sessions.item ? sessions.item.answersOf(session) : null
    }

    onCapture: function(c) {
        start()
        sessions.item.ask(c)
    }

    DeferredLoader {
        id: sessions
        objectName: "cameraSessions"
        sourceComponent: CameraSessions {
            testPicture: root.testPicture
            onCapturedMarkImage: function(id, c) { root.capturedMarkImage(id, c) }
            onCapturedLabelImage: function(id, c) { root.capturedLabelImage(id, c) }
        }
    }
}
