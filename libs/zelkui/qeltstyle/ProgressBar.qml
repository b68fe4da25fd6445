import QtQuick
import QtQuick.Templates as T
import qeltstyle.impl

T.ProgressBar {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             implicitContentHeight + topPadding + bottomPadding)

    opacity: enabled ? 1 : Theme.disabledOpacity

    contentItem: Item {
        implicitWidth: 160
        implicitHeight: 6
        clip: true

        Rectangle {
            width: control.indeterminate ? parent.width : control.position * parent.width
            height: parent.height
            radius: 3
            color: Theme.accent

            // Without a known position the whole bar pulses instead of filling.
            SequentialAnimation on opacity {
                running: control.indeterminate && control.visible
                loops: Animation.Infinite
                alwaysRunToEnd: true
                NumberAnimation { from: 1; to: 0.3; duration: 600 }
                NumberAnimation { from: 0.3; to: 1; duration: 600 }
            }
        }
    }

    background: Rectangle {
        implicitWidth: 160
        implicitHeight: 6
        y: (control.height - height) / 2
        height: 6
        radius: 3
        color: Theme.info
    }
}
