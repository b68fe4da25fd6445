import QtQuick
import QtQuick.Window
import QtQuick.Templates as T
import qeltstyle.impl

T.ComboBox {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             implicitContentHeight + topPadding + bottomPadding,
                             implicitIndicatorHeight + topPadding + bottomPadding)

    padding: Theme.padding
    leftPadding: padding + 2 + (!control.mirrored || !indicator || !indicator.visible ? 0 : indicator.width + spacing)
    rightPadding: padding + 2 + (control.mirrored || !indicator || !indicator.visible ? 0 : indicator.width + spacing)
    spacing: Theme.spacing
    opacity: enabled ? 1 : Theme.disabledOpacity

    delegate: ItemDelegate {
        width: ListView.view.width
        text: control.textRole ? (Array.isArray(control.model) ? modelData[control.textRole] : model[control.textRole])
                               : modelData
        highlighted: control.highlightedIndex === index
        hoverEnabled: control.hoverEnabled
        font.bold: control.currentIndex === index
    }

    indicator: ArrowIndicator {
        x: control.mirrored ? control.padding + 2 : control.width - width - control.padding - 2
        y: control.topPadding + (control.availableHeight - height) / 2
        color: Theme.text
    }

    contentItem: T.TextField {
        leftPadding: control.editable ? 2 : 0
        rightPadding: control.editable ? 2 : 0
        text: control.editable ? control.editText : control.displayText

        enabled: control.editable
        autoScroll: control.editable
        readOnly: control.down
        inputMethodHints: control.inputMethodHints
        validator: control.validator
        selectByMouse: control.selectTextByMouse

        font: control.font
        color: Theme.text
        selectionColor: Theme.accent
        selectedTextColor: Theme.text
        verticalAlignment: Text.AlignVCenter
    }

    background: Rectangle {
        implicitWidth: 140
        implicitHeight: Theme.controlHeight
        radius: Theme.radius
        color: control.editable ? Theme.field
             : control.down ? Theme.pressed
             : control.enabled && control.hovered ? Theme.hovered
             : Theme.base
        border.width: 1
        border.color: control.visualFocus || (control.editable && control.activeFocus) ? Theme.accent : Theme.outline
        visible: !control.flat || control.down
    }

    popup: T.Popup {
        y: control.height + 2
        width: control.width
        height: Math.min(contentItem.implicitHeight + topPadding + bottomPadding,
                         control.Window.height - topMargin - bottomMargin)
        topMargin: 6
        bottomMargin: 6
        padding: 1

        contentItem: ListView {
            clip: true
            implicitHeight: contentHeight
            model: control.delegateModel
            currentIndex: control.highlightedIndex
            highlightMoveDuration: 0

            T.ScrollIndicator.vertical: ScrollIndicator { }
        }

        background: Rectangle {
            color: Theme.popup
            border.color: Theme.outline
            radius: Theme.radius
        }
    }
}
