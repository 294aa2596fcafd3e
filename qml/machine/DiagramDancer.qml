import QtQuick

// A dancer of a machine diagram, following the reading of its roller: at
// base when the reading is at the roller's limit, at base + span when at its
// maximum, in proportion between and beyond. A maximum equal to the limit
// gives no proportion: the dancer stays at base.
DiagramPicture {
    enum Roller { Rewind, Laminating, Print }

    property int roller: DiagramDancer.Rewind
    property real base: 0
    property real span: 0

    readonly property real position: roller === DiagramDancer.Print ? device.printRoller
                                   : roller === DiagramDancer.Laminating ? device.filmRoller : device.collectRoller
    readonly property real limit: roller === DiagramDancer.Print ? config.printRollerLimit
                                : roller === DiagramDancer.Laminating ? config.filmRollerLimit : config.collectRollerLimit
    readonly property real maximum: roller === DiagramDancer.Print ? config.printRollerMax
                                  : roller === DiagramDancer.Laminating ? config.filmRollerMax : config.collectRollerMax
    readonly property real travel: {
        const range = maximum - limit
        const share = range === 0 ? 0 : (position - limit) / range
        return isFinite(share) ? share : 0
    }

    y: coef * (base + span * travel)
}
