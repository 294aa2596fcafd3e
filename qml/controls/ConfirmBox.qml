import QtQuick

// The notice and confirmation box as every page shows it: NuMessageBox in
// the pages' fonts.
NuMessageBox {
    textFont.pointSize: 11
    titleFont.pointSize: 14
    titleFont.bold: true
    btnFont.pointSize: 12
}
