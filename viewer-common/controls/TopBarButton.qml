import QtQuick 2.9
import QtQuick.Controls 2.2

// A button of the 40-pixel top tool bar; a highlighted one shows a bar along its bottom.
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

        Rectangle {
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            height: 4
            color: "#1780EC"
            visible: control.highlighted
        }
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
