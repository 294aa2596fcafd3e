import QtQuick
import QtTest
import Dravolinte2024
import ORUN_Config

// The status frame with the simulated controller: readouts, test-mode
// fields, the state box and its texts, the lamps, the diagram of each
// version with its dancers and motors, and the hold-to-run rewind.
Item {
    id: root
    width: 1280
    height: 800

    Component {
        id: frameComponent
        Item {
            property alias frame: frame
            property alias under: under
            width: 1000
            height: 600
            // A cell under the frame, as the task page has one.
            MouseArea { id: under; anchors.fill: parent }
            DeviceFrame { id: frame; anchors.fill: parent; color: "white" }
        }
    }

    TestCase {
        name: "DeviceFrame"
        when: windowShown

        property var saved: ({})

        function initTestCase() {
            verify(simulator.start(["--set", "printRoller=80", "--set", "filmRoller=75.24",
                                    "--set", "collectRoller=70", "--set", "gyroscope=1234"]))
            for (const key of ["version", "enablePrintRoller", "enableGyroscope", "enableDetection",
                               "collectRollerLimit", "collectRollerMax", "printRollerLimit", "printRollerMax"])
                saved[key] = config[key]
        }
        function cleanupTestCase() {
            simulator.stop()
        }
        function cleanup() {
            for (const key in saved)
                config[key] = saved[key]
            config.enablePrint = true
            app.enabledTest = false
            config.autoRoll = false
        }
        function makeFrame(properties) {
            const cell = createTemporaryObject(frameComponent, root, properties || {})
            verify(cell)
            return cell
        }
        function child(item, name) {
            const found = findChild(item, name)
            verify(found, name)
            return found
        }
        // As the colours are shown: a Text keeps 8 bits a channel.
        function sameColor(a, b) {
            return String(a) === String(Qt.color(b))
        }
        function shownReadings(frame) {
            const row = child(frame, "bottom_row")
            const names = []
            for (let i = 0; i < row.children.length; ++i)
                if (row.children[i].visible)
                    names.push(row.children[i].name)
            return names
        }

        // One decimal with the unit, whole speeds, hidden pairs taking no room.
        function test_readouts() {
            const frame = makeFrame().frame
            tryCompare(child(frame, "printRollerValue"), "text", "80.0 cm", 10000)
            tryCompare(child(frame, "filmRollerValue"), "text", "75.2 cm", 10000)
            tryCompare(child(frame, "collectRollerValue"), "text", "70.0 cm", 10000)
            tryCompare(child(frame, "gyroscopeValue"), "text", "12.3 °", 10000)
            compare(child(frame, "collectRollerLabel").text, "收纸辊:")
            compare(shownReadings(frame), ["collectRoller", "filmRoller", "printRoller", "gyroscope"])

            app.enabledTest = true
            compare(shownReadings(frame), ["collectRoller", "collectSpeed", "cutSpeed", "filmRoller", "filmSpeed",
                                           "printRoller", "gyroscope"])
            tryCompare(child(frame, "cutSpeedValue"), "text", String(device.speed))
            compare(child(frame, "collectSpeedValue").text, String(config.collectSpeedRealTime))

            app.enabledTest = false
            config.enablePrintRoller = false
            config.enableGyroscope = false
            compare(shownReadings(frame), ["collectRoller", "filmRoller"])
            const row = child(frame, "bottom_row")
            compare(row.x, 10)
            compare(row.children[3].x, row.children[0].width + 10)

            simulator.control("set collectRoller -3")
            tryCompare(child(frame, "collectRollerValue"), "text", "-3.0 cm", 10000)
            simulator.control("set collectRoller 70")
            tryCompare(child(frame, "collectRollerValue"), "text", "70.0 cm", 10000)
        }

        // The alarm text leads, the limit texts follow in bit order; a second
        // alarm replaces the first while the alarm bit stays set; the box lets
        // presses through and hides at zero.
        function test_stateTexts() {
            const cell = makeFrame()
            const box = child(cell.frame, "stateBox")
            const text = child(cell.frame, "text_dev_state")
            compare(box.visible, false)
            simulator.control("set printRoller 110")
            simulator.control("set filmRoller 50")
            simulator.control("set collectRoller 40")
            simulator.control("now alarm 3")
            const expected = "主控软限位X轴超幅宽 23,0,3 打印容纸过多  覆膜容纸限位  收纸容纸限位 "
            tryCompare(text, "text", expected, 10000)
            verify(box.visible)
            compare(box.width, cell.frame.width - 60)
            compare(box.height, text.height + 30)

            // Built during the fault: the text shows at once.
            const later = makeFrame()
            compare(child(later.frame, "text_dev_state").text, expected)
            later.destroy()

            // A flood of alarms leaves the last one shown.
            simulator.control("now alarm 4 repeat 200")
            tryVerify(function() { return text.text.startsWith("主控软限位Y轴超幅宽 23,0,4 ") }, 10000)
            simulator.control("now alarm 5")
            tryVerify(function() { return text.text.startsWith("分切X轴电机报错 23,0,5 ") }, 10000)

            mousePress(cell.frame, cell.frame.width / 2, cell.frame.height / 2)
            verify(cell.under.pressed)
            mouseRelease(cell.frame, cell.frame.width / 2, cell.frame.height / 2)

            simulator.control("set printRoller 80")
            simulator.control("set filmRoller 75")
            simulator.control("set collectRoller 70")
            tryCompare(text, "text", "分切X轴电机报错 23,0,5", 10000)
            compare(device.deviceState, 256)
            device.deviceState = 0
            compare(box.visible, false)
            compare(text.text, device.deviceStateString())
        }

        function test_lamps() {
            const frame = makeFrame().frame
            const bar = child(frame, "sensorBar")
            config.enableDetection = true
            compare(bar.visible, false)
            config.enableDetection = false
            verify(bar.visible)
            compare(bar.height, 20)
            compare(child(bar, "lamp6").width, 10)
            simulator.control("set sensors 0000010")
            tryVerify(function() { return sameColor(child(bar, "lamp6").color, "red") }, 10000)
            verify(sameColor(child(bar, "lamp7").color, "black"))
            compare(child(bar, "lamp6").Accessible.name, "S6 有信号")
            simulator.control("set sensors 0000001")
            tryVerify(function() { return sameColor(child(bar, "lamp7").color, "red") }, 10000)
            tryVerify(function() { return sameColor(child(bar, "lamp6").color, "black") }, 10000)
            simulator.control("set sensors 0000000")
            tryVerify(function() { return sameColor(child(bar, "lamp7").color, "black") }, 10000)
        }

        function test_diagramByVersion_data() {
            return [
                { tag: "unknown", version: ORUN_Config.VT_UNKNOWN, shown: "" },
                { tag: "7x3", version: ORUN_Config.VT_7x3, shown: "diagramV1" },
                { tag: "7x4", version: ORUN_Config.VT_7x4, shown: "diagramV2" },
                { tag: "7x5", version: ORUN_Config.VT_7x5, shown: "diagramV3" },
                { tag: "7x6", version: ORUN_Config.VT_7x6, shown: "diagramV3" },
                { tag: "7x7", version: ORUN_Config.VT_7x7, shown: "diagramV4" },
                { tag: "7x8", version: ORUN_Config.VT_7x8, shown: "diagramV5" },
                { tag: "beyond", version: 9, shown: "" },
            ]
        }
        function test_diagramByVersion(data) {
            const frame = makeFrame().frame
            config.version = data.version
            for (let i = 1; i <= 5; ++i) {
                const diagram = child(frame, "diagramV" + i)
                compare(diagram.visible, data.shown === "diagramV" + i, "diagramV" + i)
                // The others load no pictures.
                compare(child(diagram, "img_dev").source.toString() !== "", diagram.visible, "diagramV" + i + " banner")
            }
        }

        // The rewind dancer at its base when the reading is at the limit, at
        // base + span at the maximum, at its base when the two are equal.
        function test_dancers_data() {
            return [
                { tag: "V1", version: ORUN_Config.VT_7x3, base: 100, span: 80, units: 580, byHeight: false },
                { tag: "V2", version: ORUN_Config.VT_7x4, base: 230, span: 80, units: 842, byHeight: false },
                { tag: "V3", version: ORUN_Config.VT_7x5, base: 200, span: 80, units: 580, byHeight: false },
                { tag: "V4", version: ORUN_Config.VT_7x7, base: 270, span: 160, units: 595, byHeight: true },
                { tag: "V5", version: ORUN_Config.VT_7x8, base: 315, span: 85, units: 595, byHeight: true },
            ]
        }
        function test_dancers(data) {
            const frame = makeFrame().frame
            config.version = data.version
            const diagram = child(frame, "diagramV" + (data.tag.substring(1)))
            const banner = child(diagram, "img_dev")
            tryCompare(banner, "status", Image.Ready)
            tryVerify(function() { return banner.paintedWidth > 0 })
            const coef = (data.byHeight ? banner.paintedHeight : banner.paintedWidth) / data.units
            fuzzyCompare(diagram.coef, coef, 1e-9)
            const dancer = child(diagram, "receivingCircle")
            tryCompare(device, "collectRoller", 70, 10000)
            for (const [limit, max, at] of [[70, 90, 0], [20, 70, 1], [70, 70, 0], [60, 80, 0.5]]) {
                config.collectRollerLimit = limit
                config.collectRollerMax = max
                fuzzyCompare(dancer.y, coef * (data.base + data.span * at), 1e-6)
            }
            const area = child(diagram, "drawingArea")
            compare(area.width, banner.paintedWidth)
            compare(area.height, banner.paintedHeight)
        }

        // Which flag turns which picture; a turning one goes round from 360.
        function test_motors() {
            const frame = makeFrame().frame
            const motorsOf = function(name) {
                const area = child(child(frame, name), "drawingArea")
                const found = []
                for (let i = 0; i < area.children.length; ++i) {
                    const c = area.children[i]
                    if (c.unitX !== undefined)
                        found.push({ at: c.unitX + "," + c.unitY, turns: c.running !== undefined, item: c })
                }
                return found
            }
            const find = function(list, at) { return list.find(function(m) { return m.at === at }) }
            const v2 = motorsOf("diagramV2")
            device.feedMotorRunning = true
            verify(find(v2, "40,130").item.running)
            verify(!find(v2, "400,310").turns)
            device.feedMotorRunning = false
            const v5 = motorsOf("diagramV5")
            device.filmMotorRunning = true
            verify(find(v5, "728,433").item.running)
            device.filmMotorRunning = false
            verify(!find(v5, "728,433").item.running)

            config.version = ORUN_Config.VT_7x3
            const rewind = find(motorsOf("diagramV1"), "30,0").item
            device.collectMotorRunning = true
            tryVerify(function() { return rewind.rotation > 0 && rewind.rotation < 359 }, 5000)
            device.collectMotorRunning = false
            verify(!rewind.running)
        }

        // Held: red here and on every other frame; released anywhere: grey.
        // A frame that goes while held lets go of the rewind.
        function test_autoRoll() {
            const one = makeFrame({ width: 600, height: 380 }).frame
            const two = makeFrame({ y: 400, width: 600, height: 380 }).frame
            const area = child(one, "autoRollArea")
            const glyph = child(one, "autoRollGlyph")
            const grey = Qt.rgba(0.5, 0.5, 0.5, 1)
            const red = Qt.rgba(1, 0, 0, 0.8)
            verify(sameColor(glyph.color, grey))
            mousePress(area, 18, 18)
            console.warn("DEBUG", area.pressed, config.autoRoll, one.holdingRoll, area.mapToItem(null, 18, 18))
            verify(config.autoRoll)
            verify(sameColor(glyph.color, red))
            verify(sameColor(child(two, "autoRollGlyph").color, red))
            mouseMove(area, -300, 200)
            verify(config.autoRoll)
            mouseRelease(area, -300, 200)
            verify(!config.autoRoll)
            verify(sameColor(glyph.color, grey))

            const gone = createTemporaryObject(frameComponent, root, { x: 640, width: 600, height: 380 })
            mousePress(child(gone.frame, "autoRollArea"), 18, 18)
            verify(config.autoRoll)
            gone.destroy()
            tryVerify(function() { return !config.autoRoll })
            mouseRelease(root, 5, 5)
        }

        // The title row: logo scaled to the row, identity and address.
        function test_title() {
            const frame = makeFrame().frame
            const row = child(frame, "top_row")
            compare(row.height, frame.height * 0.06)
            const logo = child(frame, "logo")
            compare(logo.source.toString(), "file:Dravolinte/res/logo.png")
            tryCompare(logo, "status", Image.Ready)
            compare(logo.sourceSize.height, Math.floor(row.height))
            compare(child(frame, "ipText").text, device.ip)
            verify(device.ip !== "")
            compare(child(frame, "identText").text, device.ident)
        }
    }
}
