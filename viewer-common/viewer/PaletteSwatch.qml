import QtQuick 2.7

// A palette's colour ramp in a one-pixel white frame.
Rectangle {
    property string paletteName
    property alias rampObjectName: ramp.objectName

    width: 6
    height: 24
    color: "#FFFFFF"

    Image {
        id: ramp
        anchors.fill: parent
        anchors.margins: 1
        source: "image://palettes/" + parent.paletteName
        sourceSize: Qt.size(1, 256)
    }
}
