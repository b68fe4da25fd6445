import QtQuick
import QtQuick.Templates as T
import qeltstyle.impl

T.ToolBar {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            contentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             contentHeight + topPadding + bottomPadding)

    padding: 4
    horizontalPadding: 6

    background: Rectangle {
        implicitHeight: Theme.controlHeight + 8
        color: Theme.base

        Rectangle {
            width: parent.width
            height: 1
            y: control.position === T.ToolBar.Footer ? 0 : parent.height - 1
            color: Theme.pressed
        }
    }
}
