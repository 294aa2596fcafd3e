import QtQuick
import QtTest
import Dravolinte2024

// The photo preview: a picture kept whole, and a click that reports closed().
Item {
    id: root
    width: 600
    height: 400

    PhotoPreview {
        id: preview
        width: 400
        height: 400
    }
    SignalSpy {
        id: closed
        target: preview
        signalName: "closed"
    }

    TestCase {
        name: "PhotoPreview"
        when: windowShown

        function init() {
            closed.clear()
        }

        function test_wideLogoFitted() {
            preview.source = "file:Dravolinte/res/logo.png"
            const image = findChild(preview, "preview")
            tryCompare(image, "status", Image.Ready)
            compare(image.paintedWidth, 400)
            verify(image.paintedHeight < 400)
            mouseClick(preview)
            compare(closed.count, 1)
            verify(preview.visible)
        }

        function test_missingPicture() {
            qmlWarnings.expect("Cannot open")
            preview.source = "file:Dravolinte/res/none.png"
            tryCompare(findChild(preview, "preview"), "status", Image.Error)
            mouseClick(preview)
            compare(closed.count, 1)
        }
    }
}
