import QtQuick
import QtQuick.Templates as T
import QtQuick.Controls.impl
import qeltstyle.impl

T.TabButton {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             implicitContentHeight + topPadding + bottomPadding)

    padding: Theme.padding
    horizontalPadding: 14
    spacing: Theme.spacing
    opacity: enabled ? 1 : Theme.disabledOpacity

    icon.width: 16
    icon.height: 16
    icon.color: control.checked ? Theme.highlightedText : Theme.text

    contentItem: IconLabel {
        spacing: control.spacing
        mirrored: control.mirrored
        display: control.display
        icon: control.icon
        text: control.text
        font: control.font
        color: control.checked ? Theme.highlightedText : Theme.text
    }

    background: Rectangle {
        implicitHeight: Theme.controlHeight + 4
        color: control.down ? Theme.pressed
             : control.checked ? Theme.hovered
             : control.enabled && control.hovered ? Theme.hovered
             : Theme.base

        Rectangle {
            width: parent.width
            height: 2
            y: parent.height - height
            color: Theme.accent
            visible: control.checked
        }
    }
}
