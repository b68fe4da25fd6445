import QtQuick 2.9
import QtQuick.Controls 2.2

// A button of the playback bars: highlighted only through the colour of its text.
Button {
    id: control

    font.pixelSize: 14
    // The style's padding would leave a 40-pixel button too little width for its glyph.
    padding: 2
    horizontalPadding: 2
    opacity: enabled ? 1 : 0.5
    hoverEnabled: true

    background: Rectangle {
        color: control.pressed ? "#171720" : control.hovered ? "#2F2F37" : "#22222B"
    }

    contentItem: Label {
        text: control.text
        font: control.font
        color: control.highlighted ? "#5AABFF" : "#FAFAFA"
        elide: Text.ElideRight
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
}
