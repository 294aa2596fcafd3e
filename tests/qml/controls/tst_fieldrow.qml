import QtQuick
import QtQuick.Controls
import QtTest
import Dravolinte2024

// The label, field and unit row: where each part lands, that a part left
// empty takes no room, and which fonts its texts take.
Item {
    id: root
    width: 600
    height: 200

    // A field 80 wide, as a page gives it.
    Component {
        id: plainRow
        FieldRow {
            Rectangle { width: 80; height: Theme.rowHeight }
        }
    }
    // Smaller units, as the parameter page has them.
    Component {
        id: smallUnitRow
        FieldRow {
            unitFont.pointSize: Theme.smallSize
            Rectangle { width: 80; height: Theme.rowHeight }
        }
    }
    // A label font of nothing: the label keeps the font around it, as the
    // settings rows have it.
    Component {
        id: inheritingRow
        FieldRow {
            property font nothing
            labelFont: nothing
            Rectangle { width: 80; height: Theme.rowHeight }
        }
    }
    Label {
        id: plainLabel
        text: "x"
    }

    TestCase {
        name: "FieldRow"
        when: windowShown

        function part(row, name) {
            const found = findChild(row, name)
            verify(found, name)
            return found
        }
        function make(component, properties) {
            const row = createTemporaryObject(component, root, properties)
            verify(row)
            waitForItemPolished(row)
            return row
        }

        function test_layout_data() {
            return [
                { tag: "label and field", props: { label: "速度" }, fieldX: 100 },
                { tag: "an empty label keeps its width", props: { label: "" }, fieldX: 100 },
                { tag: "unit", props: { label: "压力", unit: "gf" }, fieldX: 100 },
                { tag: "axis and unit", props: { label: "摄像头偏移", axis: " X ", unit: "mm" }, fieldX: -1 },
                { tag: "spacing and width", props: { label: "页面间隔", labelWidth: 80, spacing: 5, unit: "mm" }, fieldX: 85 },
            ]
        }
        function test_layout(data) {
            const row = make(plainRow, data.props)
            const axis = part(row, "axis")
            const field = part(row, "field")
            const unit = part(row, "unit")
            compare(row.height, Theme.rowHeight)
            compare(part(row, "label").text, data.props.label)
            compare(axis.visible, data.props.axis !== undefined)
            compare(unit.visible, data.props.unit !== undefined)
            const fieldX = data.fieldX >= 0 ? data.fieldX : axis.x + axis.width + row.spacing
            if (axis.visible)
                verify(axis.width > 0)
            compare(field.x, fieldX)
            compare(field.width, 80)
            const end = unit.visible ? unit.x + unit.width : fieldX + 80
            if (unit.visible)
                compare(unit.x, fieldX + 80 + row.spacing)
            compare(row.width, end)
        }

        function test_fonts_data() {
            return [
                { tag: "the pages' sizes", component: plainRow, label: Theme.labelSize, unit: Theme.unitSize },
                { tag: "smaller units keep the label's", component: smallUnitRow, label: Theme.labelSize, unit: Theme.smallSize },
                { tag: "a label font of nothing", component: inheritingRow, label: plainLabel.font.pointSize, unit: Theme.unitSize },
            ]
        }
        function test_fonts(data) {
            const row = make(data.component, { label: "压力", unit: "gf" })
            const label = part(row, "label")
            compare(label.font.pointSize, data.label)
            compare(label.font.family, plainLabel.font.family)
            compare(part(row, "unit").font.pointSize, data.unit)
        }
    }
}
