import QtQuick
import QtTest
import Dravolinte2024

// The loader of what the first frame does without: made once the window has
// drawn, in slices; at once when asked for now, which also finishes a make
// under way, so that a tab shown early never shows half made.
Item {
    id: root
    width: 400
    height: 300

    Component {
        id: loaderComponent
        DeferredLoader {
            sourceComponent: Rectangle {
                objectName: "made"
                width: 50
                height: 50
            }
        }
    }

    TestCase {
        name: "DeferredLoader"
        when: windowShown

        function test_make_data() {
            return [
                { tag: "after the first frame", now: false },
                { tag: "now", now: true },
                { tag: "now while a make is under way", now: false, nowLater: true },
            ]
        }
        function test_make(data) {
            const loader = createTemporaryObject(loaderComponent, root, { now: data.now })
            verify(loader)
            if (data.now) {
                compare(loader.status, Loader.Ready)
                return
            }
            tryCompare(loader, "active", true, 10000)
            if (data.nowLater && loader.status === Loader.Loading) {
                loader.now = true
                compare(loader.status, Loader.Ready)
            }
            tryCompare(loader, "status", Loader.Ready, 10000)
            compare(loader.item.objectName, "made")
        }
    }
}
