import QtQuick
import QtQuick.Templates as T
import QtQuick.Controls.impl
import qeltstyle.impl

T.Popup {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             implicitContentHeight + topPadding + bottomPadding)

    padding: 10

    background: Rectangle {
        color: Theme.popup
        border.color: Theme.outline
        radius: Theme.radius
    }

    T.Overlay.modal: Rectangle {
        color: Color.transparent(Theme.shadow, 0.5)
    }

    T.Overlay.modeless: Rectangle {
        color: Color.transparent(Theme.shadow, 0.25)
    }
}
