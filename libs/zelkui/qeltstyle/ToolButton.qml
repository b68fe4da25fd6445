import QtQuick
import QtQuick.Templates as T
import QtQuick.Controls.impl
import qeltstyle.impl

T.ToolButton {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             implicitContentHeight + topPadding + bottomPadding)

    padding: Theme.padding
    spacing: Theme.spacing
    opacity: enabled ? 1 : Theme.disabledOpacity

    icon.width: 16
    icon.height: 16
    icon.color: control.highlighted || control.checked ? Theme.highlightedText : Theme.text

    contentItem: IconLabel {
        spacing: control.spacing
        mirrored: control.mirrored
        display: control.display
        icon: control.icon
        text: control.text
        font: control.font
        color: control.highlighted || control.checked ? Theme.highlightedText : Theme.text
    }

    // Tool buttons sit on bars of the resting shade, so at rest they show no panel.
    background: Rectangle {
        implicitWidth: Theme.controlHeight
        implicitHeight: Theme.controlHeight
        radius: Theme.radius
        color: control.down ? Theme.pressed
             : control.enabled && control.hovered ? Theme.hovered
             : Theme.base
        visible: control.down || control.checked || control.visualFocus || (control.enabled && control.hovered)
        border.width: control.visualFocus ? 1 : 0
        border.color: Theme.accent

        Rectangle {
            x: 4
            width: parent.width - 8
            height: 2
            y: parent.height - height
            color: Theme.accent
            visible: control.checked
        }
    }
}
