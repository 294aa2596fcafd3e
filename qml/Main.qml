import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtQuick.VirtualKeyboard
import Dravolinte2024
import KeyboardSupport

// The program's one window: the three tabs, the bar along the bottom with the
// running step, the tab buttons and the errors, and the on-screen keyboard.
Window {
    id: window

    property int deviceState: device.deviceState

    width: 1080
    height: 760
    visible: true
    visibility: Window.Maximized
    title: qsTr("Dravolinte")
    color: "white"

    // The driver's last error and its machine state share one place: the
    // newer of the two shows, and the state again once the error is cleared.
    onDeviceStateChanged: text_error.text = device.deviceStateString()
    Connections {
        target: device
        function onErrorMessageChanged() { text_error.text = device.errorMessage || device.deviceStateString() }
    }

    // A firmware transfer must not be cut off by closing the window.
    onClosing: function(close) {
        if (!app.allowedExit())
            close.accepted = false
    }

    // The keyboard lies in a layer of its own over every popup and its dim:
    // its keys reach a field inside a modal popup, and a key press is no
    // press outside any popup. The layer stays on the window's origin however
    // far the lift has moved the content.
    Popup {
        objectName: "keyboardLayer"
        y: -window.contentItem.y
        z: 99
        width: 0
        height: 0
        padding: 0
        background: null
        closePolicy: Popup.NoAutoClose
        visible: true

        // Made after the first frame, which does not show it; finished at
        // once should a field ask for it before then.
        DeferredLoader {
            id: keyboard
            now: Qt.inputMethod.visible
            sourceComponent: InputPanel {
                id: inputPanel
                objectName: "inputPanel"
                x: 0
                y: window.height
                width: window.width

                states: State {
                    name: "visible"
                    when: inputPanel.active
                    PropertyChanges {
                        target: inputPanel
                        y: window.height - inputPanel.height
                    }
                }
                transitions: Transition {
                    from: ""
                    to: "visible"
                    reversible: true
                    NumberAnimation {
                        properties: "y"
                        duration: 250
                        easing.type: Easing.InOutQuad
                    }
                }
            }
        }
    }
    // The field typed into stays above the keyboard.
    KeyboardLift {
        objectName: "keyboardLift"
        panel: keyboard.item
        active: keyboard.item ? keyboard.item.active : false
    }

    StackLayout {
        id: stack_layout
        objectName: "stack_layout"
        anchors.fill: parent
        currentIndex: 1

        // The tabs not shown at first are made after the first frame.
        DeferredLoader {
            id: device_stack_page
            now: visible
            Layout.alignment: Qt.AlignHCenter | Qt.AlignVCenter
            Layout.fillWidth: true
            Layout.fillHeight: true
            sourceComponent: DeviceStackPage { objectName: "device_stack_page" }
        }
        TaskStackPage {
            id: task_stack_page
            objectName: "task_stack_page"
            Layout.alignment: Qt.AlignHCenter | Qt.AlignVCenter
            Layout.fillWidth: true
            Layout.fillHeight: true
        }
        DeferredLoader {
            id: help_stack_page
            now: visible
            Layout.alignment: Qt.AlignHCenter | Qt.AlignVCenter
            Layout.fillWidth: true
            Layout.fillHeight: true
            sourceComponent: HelpStackPage { objectName: "help_stack_page" }
        }
    }

    Row {
        objectName: "bottomBar"
        anchors.bottom: parent.bottom
        anchors.horizontalCenter: parent.horizontalCenter
        height: 40

        Label {
            objectName: "runTip"
            width: (window.width - 400) / 2
            height: 40
            text: config.runTip
            color: Theme.textColor
            font.pointSize: Theme.messageSize
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
        TabButton {
            id: btn1
            objectName: "btn1"
            glyph: "\uf015"
            Accessible.name: qsTr("主页")
            onClicked: stack_layout.currentIndex = 0
        }
        TabButton {
            id: btn2
            objectName: "btn2"
            glyph: "\ue115"
            Accessible.name: qsTr("任务")
            onClicked: stack_layout.currentIndex = 1
        }
        TabButton {
            id: btn3
            objectName: "btn3"
            glyph: "\uf059"
            Accessible.name: qsTr("帮助")
            onClicked: stack_layout.currentIndex = 2
        }
        Rectangle {
            width: (window.width - 400) / 2
            height: 40
            color: Qt.rgba(0, 0, 0, 0)
            Row {
                anchors.horizontalCenter: parent.horizontalCenter
                spacing: 10
                height: 40
                Label {
                    id: text_error
                    objectName: "text_error"
                    height: 40
                    text: device.errorMessage
                    color: Theme.errorColor
                    font.pointSize: Theme.messageSize
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                }
                Label {
                    objectName: "runErrTip"
                    height: 40
                    text: config.runErrTip
                    color: Theme.errorColor
                    font.pointSize: Theme.messageSize
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                }
            }
        }
    }

    component TabButton: Button {
        property string glyph
        width: 110
        height: 40
        text: glyph
        font.family: "OrunFont"
        font.pointSize: 28
    }
}
