import QtQuick
import ORUN_Config

// The picture of the machine model of config.version; none for a version
// without one.
Image {
    source: {
        switch (config.version) {
        case ORUN_Config.VT_7x3: return "file:Dravolinte/res/bqj.png"
        case ORUN_Config.VT_7x4: return "file:Dravolinte/res/bqj2.png"
        case ORUN_Config.VT_7x5:
        case ORUN_Config.VT_7x6: return "file:Dravolinte/res/bqj3.svg"
        case ORUN_Config.VT_7x7: return "file:Dravolinte/res/bqj4.svg"
        case ORUN_Config.VT_7x8: return "file:Dravolinte/res/bqj5.svg"
        }
        return ""
    }
    Accessible.ignored: true
}
