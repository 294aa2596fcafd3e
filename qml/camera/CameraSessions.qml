import QtQuick
import QtMultimedia
import CameraSupport

// The two capture sessions behind RCamera, with the multimedia backend they
// bring up: ask(c) takes a still with the mark camera (c 1) or the check
// camera (any other c) and answers with capturedMarkImage or
// capturedLabelImage carrying c and the picture. Each camera keeps one
// pending request of its own, answered only by its own picture, so a
// snapshot of the toolbar is never scanned as a mark.
//
// Each session is given its own video sink when it is built and keeps it:
// an image capture yields pictures only while its session has an output,
// and stalls when that output changes later. A camera view shows a session
// by taking its relay (FrameRelay.target), never by becoming its output.
Item {
    id: root

    readonly property alias cameras: inputs.cameras
    // With no video input the sessions hold no camera, and capture() is not
    // answered (a log line; the requester's wait runs out), unless the camera
    // backend's test picture is asked for in its place.
    property bool testPicture: false
    readonly property bool bound: testPicture || inputs.cameras.length > 0
    // The camera id of a pending request (the mark camera's first); 0 when none.
    readonly property int captureID: mark_answers.pending !== 0 ? mark_answers.pending : check_answers.pending
    // The session of the camera the pages show.
    readonly property CaptureSession currCS: config.showCamera !== 0 ? check_session : mark_session
    readonly property alias markSession: mark_session
    readonly property alias checkSession: check_session

    // The application's check camera, made with the sessions.
    readonly property QtObject check_camera: app.startCheckCamera()

    signal capturedMarkImage(int id, var c)
    signal capturedLabelImage(int id, var c)

    function init_camera() {
        inputs.init(mark_camera, check_camera)
    }
    function update_camera() {
        inputs.update(mark_camera, check_camera)
    }
    // The requests of session's image capture, through which snapshots go too.
    function answersOf(session) {
        return session === mark_session ? mark_answers : (session === check_session ? check_answers : null)
    }

    function ask(c) {
        const id = Number(c)
        if (id === 1)
            mark_answers.ask(1)
        else
            check_answers.ask(isNaN(id) ? 0 : id)
    }

    CameraInputs {
        id: inputs
        onCamerasChanged: root.init_camera()
    }

    CaptureSession {
        id: mark_session
        camera: root.bound ? mark_camera : null
        imageCapture: ImageCapture {
            id: mark_capture
        }
        recorder: MediaRecorder {
            id: mark_recorder
        }
        videoOutput: mark_relay
    }
    Camera {
        id: mark_camera
        objectName: "markCamera"
    }
    FrameRelay {
        id: mark_relay
        objectName: "markRelay"
    }
    SessionCapture {
        id: mark_answers
        objectName: "markAnswers"
        imageCapture: mark_capture
        onCaptured: function(camera, image) { root.capturedMarkImage(camera, image) }
    }

    CaptureSession {
        id: check_session
        camera: root.bound ? root.check_camera : null
        imageCapture: ImageCapture {
            id: check_capture
        }
        recorder: MediaRecorder {
            id: check_recorder
        }
        videoOutput: check_relay
    }
    FrameRelay {
        id: check_relay
        objectName: "checkRelay"
    }
    SessionCapture {
        id: check_answers
        objectName: "checkAnswers"
        imageCapture: check_capture
        onCaptured: function(camera, image) { root.capturedLabelImage(camera, image) }
    }

    Component.onCompleted: init_camera()
}
