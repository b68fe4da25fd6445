import QtQuick 2.7
import "../controls"

// A 28-pixel button of the playback bars showing one icon-font glyph.
PlayBarButton {
    implicitWidth: 28
    implicitHeight: 28
    font.pixelSize: 16
}
