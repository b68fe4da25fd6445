import QtQuick 2.7
import "../controls"

// The tool-bar button that opens the palette popup; it shows the palette in use.
TopBarButton {
    property int size: 40
    property string paletteName: "Grayscale"

    implicitWidth: size
    implicitHeight: size

    PaletteSwatch {
        anchors.centerIn: parent
        paletteName: parent.paletteName
        rampObjectName: "paletteButtonImage"
    }
}
