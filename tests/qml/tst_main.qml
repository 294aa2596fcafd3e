import QtQuick
import QtTest
import Dravolinte2024

TestCase {
    id: test
    name: "Main"
    when: windowShown

    Component {
        id: mainComponent
        Main {}
    }

    function findChildNamed(item, name) {
        return findChild(item, name)
    }

    function test_tabs() {
        const win = createTemporaryObject(mainComponent, test)
        verify(win)
        const stack = findChild(win.contentItem, "stack_layout")
        compare(stack.currentIndex, 1)
        mouseClick(findChild(win.contentItem, "btn1"))
        compare(stack.currentIndex, 0)
        mouseClick(findChild(win.contentItem, "btn3"))
        compare(stack.currentIndex, 2)
        mouseClick(findChild(win.contentItem, "btn2"))
        compare(stack.currentIndex, 1)
    }
}
