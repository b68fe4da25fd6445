import QtQuick
import QtQuick.Templates as T
import qeltstyle.impl

T.Frame {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            contentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             contentHeight + topPadding + bottomPadding)

    padding: 10

    background: Rectangle {
        color: "transparent"
        border.color: Theme.outline
        radius: Theme.radius
    }
}
