import QtQuick
import QtQuick.Templates as T
import QtQuick.Controls.impl
import qeltstyle.impl

T.MenuItem {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             implicitContentHeight + topPadding + bottomPadding,
                             implicitIndicatorHeight + topPadding + bottomPadding)

    padding: Theme.padding
    horizontalPadding: 10
    spacing: 8
    opacity: enabled ? 1 : Theme.disabledOpacity

    icon.width: 16
    icon.height: 16
    icon.color: Theme.text

    contentItem: IconLabel {
        readonly property real arrowPadding: control.subMenu && control.arrow ? control.arrow.width + control.spacing : 0
        readonly property real indicatorPadding: control.checkable && control.indicator ? control.indicator.width + control.spacing : 0
        leftPadding: !control.mirrored ? indicatorPadding : arrowPadding
        rightPadding: control.mirrored ? indicatorPadding : arrowPadding

        spacing: control.spacing
        mirrored: control.mirrored
        display: control.display
        alignment: Qt.AlignLeft
        icon: control.icon
        text: control.text
        font: control.font
        color: Theme.text
    }

    arrow: ArrowIndicator {
        x: control.mirrored ? control.padding : control.width - width - control.rightPadding
        y: control.topPadding + (control.availableHeight - height) / 2
        visible: control.subMenu
        direction: control.mirrored ? ArrowIndicator.Left : ArrowIndicator.Right
    }

    indicator: CheckIndicator {
        x: control.mirrored ? control.width - width - control.rightPadding : control.leftPadding
        y: control.topPadding + (control.availableHeight - height) / 2
        control: control
        visible: control.checkable
    }

    background: Rectangle {
        implicitWidth: 180
        implicitHeight: Theme.controlHeight - 2
        x: 1
        width: parent.width - 2
        color: control.down ? Theme.pressed : Theme.row
        visible: control.down || control.highlighted

        Rectangle {
            width: 3
            height: parent.height
            color: Theme.accent
        }
    }
}
