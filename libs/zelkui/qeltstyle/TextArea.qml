import QtQuick
import QtQuick.Templates as T
import QtQuick.Controls.impl
import qeltstyle.impl

T.TextArea {
    id: control

    implicitWidth: Math.max(contentWidth + leftPadding + rightPadding,
                            implicitBackgroundWidth + leftInset + rightInset,
                            placeholder.implicitWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(contentHeight + topPadding + bottomPadding,
                             implicitBackgroundHeight + topInset + bottomInset,
                             placeholder.implicitHeight + topPadding + bottomPadding)

    padding: Theme.padding
    leftPadding: 8
    rightPadding: 8
    opacity: enabled ? 1 : Theme.disabledOpacity

    color: Theme.text
    selectionColor: Theme.accent
    selectedTextColor: Theme.text
    placeholderTextColor: Theme.secondaryText

    PlaceholderText {
        id: placeholder
        x: control.leftPadding
        y: control.topPadding
        width: control.width - (control.leftPadding + control.rightPadding)
        height: control.height - (control.topPadding + control.bottomPadding)

        text: control.placeholderText
        font: control.font
        color: control.placeholderTextColor
        verticalAlignment: control.verticalAlignment
        elide: Text.ElideRight
        renderType: control.renderType
        visible: !control.length && !control.preeditText
                 && (!control.activeFocus || control.horizontalAlignment !== Qt.AlignHCenter)
    }

    background: FieldPanel {
        focused: control.activeFocus && !control.readOnly
        readOnly: control.readOnly
    }
}
