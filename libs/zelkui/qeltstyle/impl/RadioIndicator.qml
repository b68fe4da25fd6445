import QtQuick
import QtQuick.Templates as T

// Round indicator of radio buttons: an accent ring and dot when checked.
Rectangle {
    id: indicator

    required property T.AbstractButton control
    readonly property alias dot: dot

    implicitWidth: Theme.indicatorSize
    implicitHeight: Theme.indicatorSize
    radius: width / 2
    color: control.down ? Theme.pressed : Theme.field
    border.width: 1
    border.color: control.checked || control.visualFocus ? Theme.accent : Theme.outline

    Rectangle {
        id: dot
        anchors.centerIn: parent
        width: parent.width - 8
        height: width
        radius: width / 2
        color: Theme.accent
        visible: indicator.control.checked
    }
}
