import QtQuick
import QtQuick.Window
import QtQuick.Templates as T
import QtQuick.Controls.impl
import qeltstyle.impl

T.Menu {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            contentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             contentHeight + topPadding + bottomPadding)

    margins: 0
    padding: 1
    overlap: 1

    delegate: MenuItem { }

    contentItem: ListView {
        implicitHeight: contentHeight
        model: control.contentModel
        interactive: Window.window
                     ? contentHeight + control.topPadding + control.bottomPadding > Window.window.height
                     : false
        clip: true
        currentIndex: control.currentIndex

        T.ScrollIndicator.vertical: ScrollIndicator { }
    }

    background: Rectangle {
        implicitWidth: 220
        implicitHeight: Theme.controlHeight
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
