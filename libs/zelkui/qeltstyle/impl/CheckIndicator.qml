import QtQuick
import QtQuick.Templates as T

// Box of check boxes and checkable menu items: an accent fill with a drawn tick when
// checked, a short bar when partially checked.
Rectangle {
    id: indicator

    required property T.AbstractButton control
    property int checkState: control.checked ? Qt.Checked : Qt.Unchecked

    implicitWidth: Theme.indicatorSize
    implicitHeight: Theme.indicatorSize
    radius: 2
    color: checkState !== Qt.Unchecked ? Theme.accent
         : control.down ? Theme.pressed : Theme.field
    border.width: 1
    border.color: checkState !== Qt.Unchecked || control.visualFocus ? Theme.accent : Theme.outline

    Canvas {
        id: tick
        anchors.fill: parent
        visible: indicator.checkState === Qt.Checked
        onVisibleChanged: requestPaint()
        onPaint: {
            const ctx = getContext("2d")
            ctx.reset()
            ctx.strokeStyle = Theme.text
            ctx.lineWidth = 2
            ctx.lineCap = "round"
            ctx.lineJoin = "round"
            ctx.beginPath()
            ctx.moveTo(width * 0.25, height * 0.52)
            ctx.lineTo(width * 0.43, height * 0.7)
            ctx.lineTo(width * 0.76, height * 0.32)
            ctx.stroke()
        }
    }

    Rectangle {
        anchors.centerIn: parent
        width: parent.width / 2
        height: 2
        color: Theme.text
        visible: indicator.checkState === Qt.PartiallyChecked
    }
}
