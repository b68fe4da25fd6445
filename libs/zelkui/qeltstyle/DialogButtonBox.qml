import QtQuick
import QtQuick.Templates as T
import qeltstyle.impl

T.DialogButtonBox {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            contentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             contentHeight + topPadding + bottomPadding)

    spacing: 8
    padding: 10
    horizontalPadding: 14
    alignment: Qt.AlignRight

    delegate: Button {
        width: Math.max(implicitWidth, 80)
    }

    contentItem: ListView {
        implicitWidth: contentWidth
        model: control.contentModel
        spacing: control.spacing
        orientation: ListView.Horizontal
        boundsBehavior: Flickable.StopAtBounds
        snapMode: ListView.SnapToItem
    }

    background: Rectangle {
        implicitHeight: Theme.controlHeight + 20
        x: 1
        y: 1
        width: parent.width - 2
        height: parent.height - 2
        radius: Theme.radius
        color: Theme.popup
    }
}
