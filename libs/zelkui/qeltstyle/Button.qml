import QtQuick
import QtQuick.Templates as T
import QtQuick.Controls.impl
import qeltstyle.impl

T.Button {
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

    background: ButtonPanel {
        control: control
        highlighted: control.highlighted
        visible: !control.flat || control.down || control.checked || control.visualFocus
                 || (control.enabled && control.hovered)
    }
}
