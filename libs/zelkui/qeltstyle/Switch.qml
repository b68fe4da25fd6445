import QtQuick
import QtQuick.Templates as T
import qeltstyle.impl

T.Switch {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             implicitContentHeight + topPadding + bottomPadding,
                             implicitIndicatorHeight + topPadding + bottomPadding)

    padding: Theme.padding
    spacing: 8
    opacity: enabled ? 1 : Theme.disabledOpacity

    indicator: Rectangle {
        implicitWidth: 32
        implicitHeight: Theme.indicatorSize
        x: control.text ? (control.mirrored ? control.width - width - control.rightPadding : control.leftPadding)
                        : control.leftPadding + (control.availableWidth - width) / 2
        y: control.topPadding + (control.availableHeight - height) / 2
        radius: height / 2
        color: control.checked ? Theme.accent : Theme.field
        border.width: 1
        border.color: control.checked || control.visualFocus ? Theme.accent : Theme.outline

        Rectangle {
            width: parent.height - 4
            height: width
            radius: width / 2
            y: 2
            x: 2 + Math.max(0, Math.min(parent.width - width - 4, control.visualPosition * (parent.width - width - 4)))
            color: control.down ? Theme.secondaryText : Theme.text

            Behavior on x {
                enabled: !control.down
                NumberAnimation { duration: 120 }
            }
        }
    }

    contentItem: Text {
        leftPadding: control.indicator && !control.mirrored ? control.indicator.width + control.spacing : 0
        rightPadding: control.indicator && control.mirrored ? control.indicator.width + control.spacing : 0
        text: control.text
        font: control.font
        color: Theme.text
        elide: Text.ElideRight
        verticalAlignment: Text.AlignVCenter
    }
}
