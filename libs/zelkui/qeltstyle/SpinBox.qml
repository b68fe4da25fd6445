import QtQuick
import QtQuick.Templates as T
import qeltstyle.impl

T.SpinBox {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            contentItem.implicitWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             implicitContentHeight + topPadding + bottomPadding,
                             up.implicitIndicatorHeight, down.implicitIndicatorHeight)

    padding: Theme.padding
    leftPadding: padding + (control.mirrored ? (up.indicator ? up.indicator.width : 0)
                                             : (down.indicator ? down.indicator.width : 0))
    rightPadding: padding + (control.mirrored ? (down.indicator ? down.indicator.width : 0)
                                              : (up.indicator ? up.indicator.width : 0))
    opacity: enabled ? 1 : Theme.disabledOpacity

    validator: IntValidator {
        locale: control.locale.name
        bottom: Math.min(control.from, control.to)
        top: Math.max(control.from, control.to)
    }

    contentItem: TextInput {
        z: 2
        text: control.displayText
        font: control.font
        color: Theme.text
        selectionColor: Theme.accent
        selectedTextColor: Theme.text
        horizontalAlignment: Qt.AlignHCenter
        verticalAlignment: Qt.AlignVCenter
        readOnly: !control.editable
        validator: control.validator
        inputMethodHints: control.inputMethodHints
        clip: width < implicitWidth
    }

    // Minus on the left, plus on the right, each a button panel of its own.
    down.indicator: Rectangle {
        x: control.mirrored ? parent.width - width : 0
        height: parent.height
        implicitWidth: Theme.controlHeight
        implicitHeight: Theme.controlHeight
        radius: Theme.radius
        color: control.down.pressed ? Theme.pressed : control.down.hovered ? Theme.hovered : Theme.base
        border.width: 1
        border.color: Theme.outline
        opacity: enabled ? 1 : Theme.disabledOpacity

        Rectangle {
            anchors.centerIn: parent
            width: 10
            height: 2
            color: Theme.text
        }
    }

    up.indicator: Rectangle {
        x: control.mirrored ? 0 : parent.width - width
        height: parent.height
        implicitWidth: Theme.controlHeight
        implicitHeight: Theme.controlHeight
        radius: Theme.radius
        color: control.up.pressed ? Theme.pressed : control.up.hovered ? Theme.hovered : Theme.base
        border.width: 1
        border.color: Theme.outline
        opacity: enabled ? 1 : Theme.disabledOpacity

        Rectangle {
            anchors.centerIn: parent
            width: 10
            height: 2
            color: Theme.text
        }
        Rectangle {
            anchors.centerIn: parent
            width: 2
            height: 10
            color: Theme.text
        }
    }

    background: FieldPanel {
        implicitWidth: 120
        focused: control.activeFocus
    }
}
