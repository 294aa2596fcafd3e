import QtQuick
import QtTest
import Dravolinte2024
import ORUN_Config

// The settings page built from the store: sections, row kinds, hidden
// groups, staged edits, saving, defaults and restores.
Item {
    id: root
    width: 1000
    height: 700

    Component { id: pageComponent; SettingPage {} }

    TestCase {
        name: "SettingPage"
        when: windowShown

        function openPage() {
            const page = createTemporaryObject(pageComponent, root)
            verify(page)
            page.open()
            tryCompare(page, "opened", true)
            return page
        }
        function cleanup() {
            config.discardCfg()
            notices.clear()
        }
        function section(page, group) {
            return findChild(page, "section_" + group)
        }
        function rowOf(page, id) {
            const rows = []
            collect(page.contentItem, rows)
            for (const r of rows)
                if (r.createType === id)
                    return r
            return null
        }
        function collect(item, out) {
            if (item.createType !== undefined && typeof item.createType === "number")
                out.push(item)
            for (let i = 0; i < item.children.length; ++i)
                collect(item.children[i], out)
        }
        function typeInto(row, text) {
            const input = findChild(row, "textInput")
            input.forceActiveFocus()
            input.selectAll()
            for (const c of text)
                keyClick(c)
            keyClick(Qt.Key_Return)
        }

        // One section per group in the store's order, one row per listed
        // parameter, its kind by the value's type.
        function test_builtFromStore() {
            const page = openPage()
            const groups = config.getShowPropertiesClass()
            verify(groups.length > 0)
            const area = findChild(page, "propertyArea")
            let sections = []
            for (let i = 0; i < area.children.length; ++i)
                if (area.children[i].createType !== undefined)
                    sections.push(area.children[i].createType)
            compare(sections, groups)
            for (const group of groups) {
                for (const id of config.getShowProperties(group)) {
                    const row = rowOf(page, id)
                    verify(row, "row of " + id)
                    const value = config.getProperty(id)
                    let kind = typeof value === "boolean" ? "CheckBox" : typeof value === "number" ? "SpinBox" : "FileDialog"
                    if (id === ORUN_Config.CPT_Enable_Print_Marker_Type || id === ORUN_Config.CPT_Enable_Cut_Marker_Type)
                        kind = "ComboBox"
                    verify(String(row).startsWith(kind + "Property"), String(row) + " for " + id)
                    compare(row.isTmp, true)
                }
            }
        }

        // A group hidden by a switch shows at once when the switch is turned on.
        function test_detectionSection() {
            config.setProperty(ORUN_Config.CPT_Enable_Detection, false)
            const page = openPage()
            const detection = section(page, "检测设置")
            verify(detection)
            compare(detection.visible, false)
            config.setProperty(ORUN_Config.CPT_Enable_Detection, true)
            compare(detection.visible, true)
        }

        // Staged until "保存", also across closing and reopening; "保存" with
        // nothing staged changes nothing.
        function test_stageAndSave() {
            const id = ORUN_Config.CPT_Gyroscope_Limit
            config.setProperty(id, 20)
            const page = openPage()
            typeInto(rowOf(page, id), "33")
            compare(config.getProperty(id), 20)
            page.close()
            tryCompare(page, "visible", false)
            page.open()
            tryCompare(page, "opened", true)
            compare(findChild(rowOf(page, id), "spin").value, 33)
            mouseClick(findChild(page, "saveButton"))
            compare(config.getProperty(id), 33)
            const spy = createTemporaryObject(spyComponent, root)
            mouseClick(findChild(page, "saveButton"))
            compare(spy.count, 0)
        }
        Component {
            id: spyComponent
            SignalSpy { target: config; signalName: "propertyChanged" }
        }

        // Defaults: refused while edits are staged, then written, which shows
        // "恢复默认设置"; a restore shows the restored values and drops what
        // was staged before it.
        function test_defaultsAndRestores() {
            const id = ORUN_Config.CPT_Gyroscope_Limit
            const other = ORUN_Config.CPT_Gyroscope_speed
            config.setProperty(id, 21)
            config.setProperty(other, 50)
            const page = openPage()
            const restore = findChild(page, "restoreButton")
            typeInto(rowOf(page, id), "44")
            mouseClick(findChild(page, "saveDefaultButton"))
            const saveBox = findChild(page, "saveDefaultBox")
            tryCompare(saveBox, "opened", true)
            mouseClick(findChild(saveBox, "okButton"))
            compare(notices.messages(), ["当前存在未保存的设置"])
            config.discardCfg()
            compare(findChild(rowOf(page, id), "spin").value, 21)
            tryCompare(saveBox, "visible", false)
            saveBox.open()
            tryCompare(saveBox, "opened", true)
            mouseClick(findChild(saveBox, "okButton"))
            compare(config.hasDefaultCfg, true)
            compare(restore.visible, true)

            config.setProperty(id, 30)
            typeInto(rowOf(page, other), "70")
            restore.clicked()
            const restoreBox = findChild(page, "restoreBox")
            tryCompare(restoreBox, "opened", true)
            mouseClick(findChild(restoreBox, "okButton"))
            compare(config.getProperty(id), 21)
            compare(findChild(rowOf(page, id), "spin").value, 21)
            compare(findChild(rowOf(page, other), "spin").value, 50)
            mouseClick(findChild(page, "saveButton"))
            compare(config.getProperty(other), 50)
        }

        function test_factoryRestore() {
            const id = ORUN_Config.CPT_Gyroscope_speed
            config.setProperty(id, 12)
            const page = openPage()
            findChild(page, "factoryButton").clicked()
            const box = findChild(page, "factoryBox")
            tryCompare(box, "opened", true)
            compare(findChild(box, "text_content").text, "确定要恢复到出厂设置 ？")
            mouseClick(findChild(box, "cancelButton"))
            compare(config.getProperty(id), 12)
            tryCompare(box, "visible", false)
            box.open()
            tryCompare(box, "opened", true)
            mouseClick(findChild(box, "okButton"))
            compare(config.getProperty(id), 100)
            compare(findChild(rowOf(page, id), "spin").value, 100)
        }

        function test_closeMarkAndTitle() {
            const page = openPage()
            compare(page.title, "设置")
            // The popup's own item is the dialog a screen reader names.
            compare(page.contentItem.parent.Accessible.name, "设置")
            compare(page.background.Accessible.name, "")
            mouseClick(findChild(page, "closeMark"))
            tryCompare(page, "visible", false)
        }
    }
}
