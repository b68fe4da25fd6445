import QtQuick
import QtQuick.Templates as T
import QtQuick.Controls.impl
import qeltstyle.impl

T.ItemDelegate {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             implicitContentHeight + topPadding + bottomPadding,
                             implicitIndicatorHeight + topPadding + bottomPadding)

    padding: Theme.padding
    horizontalPadding: 10
    spacing: Theme.spacing
    opacity: enabled ? 1 : Theme.disabledOpacity

    icon.width: 16
    icon.height: 16
    icon.color: Theme.text

    contentItem: IconLabel {
        spacing: control.spacing
        mirrored: control.mirrored
        display: control.display
        alignment: control.display === IconLabel.IconOnly || control.display === IconLabel.TextUnderIcon
                   ? Qt.AlignCenter : Qt.AlignLeft
        icon: control.icon
        text: control.text
        font: control.font
        color: Theme.text
    }

    // Rows rest on the list colour; the highlight carries the accent bar at its left edge.
    background: Rectangle {
        implicitWidth: 100
        implicitHeight: 24
        color: control.down ? Theme.pressed
             : control.highlighted ? Theme.info
             : control.enabled && control.hovered ? Theme.hovered
             : "transparent"

        Rectangle {
            width: 4
            height: parent.height
            color: Theme.accent
            visible: control.highlighted || control.visualFocus
        }
    }
}
