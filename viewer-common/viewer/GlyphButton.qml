import QtQuick 2.7
import "../controls"

// A square top-bar button showing one icon-font glyph.
TopBarButton {
    property int size: 40

    implicitWidth: size
    implicitHeight: size
    font.pixelSize: 24
}
