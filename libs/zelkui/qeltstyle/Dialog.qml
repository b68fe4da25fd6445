import QtQuick
import QtQuick.Templates as T
import QtQuick.Controls.impl
import qeltstyle.impl

T.Dialog {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            contentWidth + leftPadding + rightPadding,
                            implicitHeaderWidth,
                            implicitFooterWidth)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             contentHeight + topPadding + bottomPadding
                             + (implicitHeaderHeight > 0 ? implicitHeaderHeight + spacing : 0)
                             + (implicitFooterHeight > 0 ? implicitFooterHeight + spacing : 0))

    padding: 14
    topPadding: 10

    background: Rectangle {
        color: Theme.popup
        border.color: Theme.outline
        radius: Theme.radius
    }

    // The title sits on the resting shade, underlined by the accent like our bars.
    header: T.Label {
        text: control.title
        visible: control.title
        elide: Text.ElideRight
        font.bold: true
        font.pixelSize: control.font.pixelSize
        color: Theme.text
        padding: 10
        leftPadding: 14
        verticalAlignment: Text.AlignVCenter
        background: Rectangle {
            color: Theme.base
            radius: Theme.radius

            Rectangle {
                width: parent.width
                height: parent.radius
                anchors.bottom: parent.bottom
                color: parent.color
            }
            Rectangle {
                width: parent.width
                height: 2
                anchors.bottom: parent.bottom
                color: Theme.accent
            }
        }
    }

    footer: DialogButtonBox {
        visible: count > 0
    }

    T.Overlay.modal: Rectangle {
        color: Color.transparent(Theme.shadow, 0.5)
    }

    T.Overlay.modeless: Rectangle {
        color: Color.transparent(Theme.shadow, 0.25)
    }
}
