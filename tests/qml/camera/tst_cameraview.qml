import QtQuick
import QtTest
import Dravolinte2024
import ORUN_Config

// The camera view and the QML camera: the video's size, turn and zoom for
// each tab and rotation with a frame fed through the session's relay, what
// shows for each camera and source, the tabs, the camera list and the
// legend; and the camera object's answers on the backend's test picture,
// for either camera while the view shows the other.
Item {
    id: root
    width: 1000
    height: 600

    RCamera {
        id: testCamera
        testPicture: true
    }

    Component {
        id: viewComponent
        CameraView { width: 1000; height: 600; camera: testCamera; cs: testCamera.currCS }
    }

    SignalSpy {
        id: markAnswers
        target: testCamera
        signalName: "capturedMarkImage"
    }
    SignalSpy {
        id: labelAnswers
        target: testCamera
        signalName: "capturedLabelImage"
    }
    SignalSpy {
        id: workerAnswers
        target: fixtures
        signalName: "captureDone"
    }
    SignalSpy {
        id: pictures
        signalName: "imageCaptured"
    }
    SignalSpy {
        id: tabWrites
        target: config
        signalName: "showCameraChanged"
    }

    TestCase {
        name: "CameraView"
        when: windowShown

        property var saved: ({})

        // Both cameras run on the backend's test picture from the start to
        // the end: a test picture stopped and started again at times sends
        // nothing more.
        function initTestCase() {
            for (const key of ["showCamera", "enableDetection", "usedQMLCamera", "checkCameraRotation",
                               "markCameraRotation", "markCamera", "checkCamera"])
                saved[key] = config[key]
            testCamera.start() // made after the first frame, unless asked for
            testCamera.markSession.camera.start()
            checkCamera.start()
            running = waitFor(function() {
                return testCamera.markSession.videoOutput.frames > 0 && testCamera.checkSession.videoOutput.frames > 0
            }, 15000)
        }
        // Whether the backend's test pictures run: now and then one never
        // starts in a process, and the answers cannot be tested there.
        property bool running: false
        function needCameras() {
            if (!running)
                skip("the camera backend's test picture sends no frames in this run")
        }
        // Whether session has stopped getting frames (the backend's test
        // picture does now and then, for good): the capture tests after it
        // are skipped then.
        function stalled(session) {
            const frames = session.videoOutput.frames
            if (waitFor(function() { return session.videoOutput.frames > frames }, 3000))
                return false
            running = false
            return true
        }
        // Waits for spy's first signal. Should none come, the test is skipped
        // when the test picture has stalled, and fails while it runs.
        function awaitAnswer(spy, session, ms) {
            if (waitFor(function() { return spy.count > 0 }, ms))
                return
            if (stalled(session))
                skip("the camera backend's test picture stopped sending frames")
            fail(spy.signalName + " not sent while the test picture runs")
        }
        function waitFor(condition, ms) {
            for (let waited = 0; waited < ms && !condition(); waited += 50)
                wait(50)
            return condition()
        }
        function cleanupTestCase() {
            testCamera.markSession.camera.stop()
            checkCamera.stop()
            for (const key in saved)
                config[key] = saved[key]
            fixtures.leaveIfTeardownHangs(qtest_results.failCount)
        }
        function init() {
            config.enableDetection = true
            // The source is kept per camera.
            config.showCamera = 1
            config.usedQMLCamera = true
            config.showCamera = 0
            config.usedQMLCamera = true
            config.checkCameraRotation = 0
            config.markCameraRotation = 0
        }
        function make() {
            const view = createTemporaryObject(viewComponent, root)
            verify(view)
            return view
        }
        function child(item, name) {
            const found = findChild(item, name)
            verify(found, name)
            return found
        }
        // An 800 x 600 frame straight into the view, the camera's own frames
        // held back; laid out once the picture no longer fills the box.
        function feed(view) {
            const finder = child(view, "viewfinder")
            testCamera.currCS.videoOutput.target = null
            verify(fixtures.feedFrame(finder, 800, 600))
            tryVerify(function() {
                return finder.contentRect.width < finder.width || finder.contentRect.height < finder.height
            })
            return finder
        }
        function rect(r) {
            return [r.x, r.y, r.width, r.height].map(Math.round)
        }

        // The check tab upright: the video fills the view unturned; an 800 x 600
        // picture paints at (100, 0) and the lost-label map lies on it turned.
        // Turned by 90 the box is 600 x 1000, turned back by 90.
        function test_checkSizes_data() {
            return [
                { tag: "rotation 0", rotation: 0, box: [1000, 600], turn: 0,
                  content: [100, 0, 800, 600], map: [600, 800], frame: [850, 600] },
                { tag: "rotation 90", rotation: 90, box: [600, 1000], turn: -90,
                  content: [0, 275, 600, 450], map: [600, 450], frame: [600, 850] },
            ]
        }
        function test_checkSizes(data) {
            config.showCamera = 1
            config.checkCameraRotation = data.rotation
            app.showLostLabelView = true
            const view = make()
            const finder = feed(view)
            compare([finder.width, finder.height], data.box)
            compare(finder.rotation, data.turn)
            compare(rect(finder.contentRect), data.content)
            const map = child(view, "lostLabelView")
            verify(map.visible)
            compare(map.rotation, -90)
            compare([Math.round(map.width), Math.round(map.height)], data.map)
            // The industrial frame in the same view.
            config.usedQMLCamera = false
            const frame = child(view, "checkCameraFrame")
            verify(frame.visible)
            compare([frame.width, frame.height], data.frame)
            compare(frame.rotation, data.rotation)
            app.showLostLabelView = false
        }

        // markScale zooms the check camera about the picture's centre and the
        // map with it; on the mark tab it does nothing, and the box is the
        // swapped shape whatever the rotation.
        function test_zoomAndMarkTab() {
            config.showCamera = 1
            app.showLostLabelView = true
            const view = make()
            view.markScale = 0.5
            const finder = feed(view)
            const map = child(view, "lostLabelView")
            compare([Math.round(map.width), Math.round(map.height)], [900, 1200])
            config.showCamera = 0
            config.markCameraRotation = 180
            feed(view)
            compare([finder.width, finder.height], [600, 1000])
            compare(finder.rotation, 180)
            compare(finder.transform[0].xScale, 1)
            compare(map.visible, false)
            app.showLostLabelView = false
        }

        // What shows for each camera and source.
        function test_shown_data() {
            return [
                { tag: "mark, QML", show: 0, qml: true,
                  on: ["printPreview", "viewfinder", "filemView", "rect_current_camera", "rect_record"],
                  off: ["checkCameraFrame", "fpsText", "legend", "lostLabelView"] },
                { tag: "mark, industrial", show: 0, qml: false,
                  on: ["printPreview", "filemView", "checkCameraFrame", "fpsText"],
                  off: ["viewfinder", "rect_current_camera", "rect_record", "legend"] },
                { tag: "check, QML", show: 1, qml: true,
                  on: ["viewfinder", "legend", "rect_current_camera", "rect_record"],
                  off: ["printPreview", "filemView", "checkCameraFrame", "fpsText"] },
                { tag: "check, industrial", show: 1, qml: false,
                  on: ["checkCameraFrame", "fpsText", "legend"],
                  off: ["printPreview", "filemView", "viewfinder", "rect_current_camera", "rect_record"] },
            ]
        }
        function test_shown(data) {
            config.showCamera = data.show
            config.usedQMLCamera = data.qml
            const view = make()
            for (const name of data.on)
                verify(child(view, name).visible, name)
            for (const name of data.off)
                compare(child(view, name).visible, false, name)
            compare(String(child(view, "background").color), data.show === 0 ? "#ffffff" : "#000000")
        }

        // A tab writes on the press, only when it is not the shown one; without
        // detection the tabs go and the mark camera shows.
        function test_tabs() {
            const view = make()
            tabWrites.clear()
            mousePress(child(view, "cameraTab0"))
            mouseRelease(child(view, "cameraTab0"))
            compare(tabWrites.count, 0)
            mousePress(child(view, "cameraTab1"))
            compare(config.showCamera, 1)
            compare(view.cs, testCamera.checkSession)
            mouseRelease(child(view, "cameraTab1"))
            config.enableDetection = false
            compare(child(view, "row_cameras").visible, false)
            compare(config.showCamera, 0)
            compare(view.cs, testCamera.markSession)
        }

        // Picking the configured camera only closes the list; another is
        // stored for the shown camera.
        function test_pickCamera() {
            const view = make()
            const picker = child(view, "rect_current_camera")
            config.showCamera = 1
            config.checkCamera = "/dev/video7"
            picker.pick({ id: "/dev/video7", description: "USB Camera" })
            compare(config.checkCamera, "/dev/video7")
            picker.pick({ id: "/dev/video9", description: "USB 4K HD Camera" })
            compare(config.checkCamera, "/dev/video9")
            config.showCamera = 0
            picker.pick({ id: "/dev/video3", description: "PC Camera" })
            compare(config.markCamera, "/dev/video3")
            compare(config.checkCamera, "/dev/video9")
            mousePress(picker)
            mouseRelease(picker)
            tryCompare(child(picker, "cameraList"), "opened", true)
            mousePress(picker)
            mouseRelease(picker)
            tryCompare(child(picker, "cameraList"), "visible", false)
        }

        // A legend tip shows 500 ms after the pointer enters and goes when it leaves.
        function test_legendTips() {
            config.showCamera = 1
            const view = make()
            const swatch = child(view, "swatchMissing")
            const tip = child(swatch, "tip")
            mouseMove(swatch, 5, 5)
            tryCompare(tip, "opened", true, 2000)
            compare(tip.text, "红色区域表示缺标")
            mouseMove(view, 500, 300)
            tryCompare(tip, "visible", false)
        }

        // Both cameras answer on the backend's test picture while the view shows
        // the other one; the answers carry the requester's id and the picture.
        function test_capturesWhileOtherShown() {
            needCameras()
            config.showCamera = 1
            const view = make()
            markAnswers.clear()
            testCamera.capture(1)
            awaitAnswer(markAnswers, testCamera.markSession, 10000)
            compare(markAnswers.signalArguments[0][0], 1)
            config.showCamera = 0
            labelAnswers.clear()
            testCamera.capture(2)
            awaitAnswer(labelAnswers, testCamera.checkSession, 10000)
            compare(labelAnswers.signalArguments[0][0], 2)
            compare(testCamera.captureID, 0)
        }

        // The application's worker asks and is answered in time.
        function test_workerCapture() {
            needCameras()
            fixtures.connectCamera(testCamera)
            config.setProperty(ORUN_Config.CPT_Wait_Capture, 10000)
            workerAnswers.clear()
            fixtures.captureOnWorker(1)
            awaitAnswer(workerAnswers, testCamera.markSession, 15000)
            compare(workerAnswers.signalArguments[0][0], 1)
            if (!workerAnswers.signalArguments[0][1] && stalled(testCamera.markSession))
                skip("the camera backend's test picture stopped sending frames")
            compare(workerAnswers.signalArguments[0][1], true)
            fixtures.connectCamera(null)
        }

        // Another picture of the same image capture (as the toolbar's
        // snapshots are) is never handed over: a mark request made while it is
        // in flight waits for it, then is answered once, with its own picture.
        function test_otherPictureNotHandedOver() {
            needCameras()
            const imageCapture = testCamera.markSession.imageCapture
            pictures.target = imageCapture
            pictures.clear()
            markAnswers.clear()
            const other = imageCapture.capture()
            if (other <= 0 && stalled(testCamera.markSession))
                skip("the camera backend's test picture stopped sending frames")
            verify(other > 0)
            testCamera.capture(1)
            awaitAnswer(markAnswers, testCamera.markSession, 10000)
            // Answered by the second picture, its own.
            compare(pictures.count, 2)
            compare(markAnswers.count, 1)
        }

        // A snapshot the camera refuses (the backend's test picture cannot be
        // saved) is told in the error popup.
        function test_failedSnapshotTold() {
            const view = make()
            const bar = child(view, "video_tool_bar")
            bar.folder = fixtures.folder()
            fixtures.makeFile("keep")
            device.errorMessage = ""
            mouseClick(child(bar, "rect_capture"))
            tryVerify(function() { return device.errorMessage.indexOf("拍照失败") === 0 })
            device.errorMessage = ""
        }
    }
}
