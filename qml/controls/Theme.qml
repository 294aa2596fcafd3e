pragma Singleton
import QtQuick

// The look the pages share, named by what it is for: colours, font sizes in
// points and the row height. A value only one page uses stays in that page.
QtObject {
    // Texts.
    readonly property color textColor: "black"
    // The label in front of a field.
    readonly property color labelColor: Qt.rgba(0.1, 0.1, 0.1, 0.8)
    // The unit after a field ("mm", "gf").
    readonly property color unitColor: Qt.rgba(0.5, 0.5, 0.5, 0.8)
    // Readings, counters, addresses, versions.
    readonly property color detailColor: Qt.rgba(0.4, 0.4, 0.4, 1)
    // Section and panel titles, the linked machine's name.
    readonly property color accent: Qt.rgba(0.8, 0.8, 0, 1)
    readonly property color errorColor: "red"
    // The machine's alarm text and the stop glyph.
    readonly property color alarmColor: Qt.rgba(0.85, 0, 0, 1)
    // The line under a section title.
    readonly property color ruleColor: "black"

    // Popups and the controls drawn by hand.
    readonly property color titleBarColor: Qt.rgba(0.6, 0.6, 0.6, 1)
    readonly property color popupBorderColor: Qt.rgba(0.5, 0.5, 0.5, 0.5)
    readonly property color pressedColor: Qt.rgba(0.5, 0.5, 0.5, 1)
    readonly property color hoverColor: Qt.rgba(0.8, 0.8, 0.8, 1)
    // A glyph button under the pointer.
    readonly property color iconHoverColor: Qt.rgba(0.8, 0.8, 0.8, 0.8)
    // The drawn pickers and panel buttons.
    readonly property color boxColor: Qt.rgba(0.9, 0.9, 0.9, 1)
    readonly property color boxBorderColor: Qt.rgba(0.8, 0.8, 0.8, 1)
    // The border of a number or path field.
    readonly property color fieldBorderColor: Qt.rgba(0.75, 0.75, 0.75, 1)

    // The lists a drawn picker drops down, and their entries.
    readonly property color listColor: Qt.rgba(0.5, 0.5, 0.5, 1)
    readonly property color entryColor: Qt.rgba(1, 1, 1, 0.4)
    readonly property color entryHoverColor: Qt.rgba(1, 1, 1, 0.6)

    // Font sizes.
    readonly property int smallSize: 8
    // Text inside a field, button or picker.
    readonly property int controlSize: 9
    readonly property int detailSize: 9
    readonly property int unitSize: 9
    readonly property int labelSize: 10
    readonly property int titleSize: 11
    // Messages: the bottom bar, the message popup.
    readonly property int messageSize: 12

    // A row of a panel or form, and the labels, fields and buttons in it.
    readonly property int rowHeight: 30
    // An entry of a drop-down list.
    readonly property int entryHeight: 30
}
