import QtQuick
import FirstFrame

// What the window's first frame does without (a tab not shown, the camera
// views): made after that frame, in slices between the frames that follow;
// or at once from the moment now is true (a tab shown before then), which
// also finishes a make under way, so nothing shows half made.
Loader {
    id: loader

    property bool now: false

    active: false
    asynchronous: !now

    Binding on active {
        when: loader.now || loader.FirstFrame.drawn
        value: true
        restoreMode: Binding.RestoreNone
    }
}
