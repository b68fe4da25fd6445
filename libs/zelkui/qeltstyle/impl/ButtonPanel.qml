import QtQuick
import QtQuick.Templates as T

// Background of push buttons: resting, hovered and pressed shades with an outline that
// turns to the accent for keyboard focus and highlighted buttons.
Rectangle {
    id: panel

    required property T.AbstractButton control
    property bool highlighted: false

    implicitWidth: 80
    implicitHeight: Theme.controlHeight
    radius: Theme.radius
    color: control.down ? Theme.pressed
         : control.checked ? Theme.pressed
         : control.enabled && control.hovered ? Theme.hovered
         : Theme.base
    border.width: 1
    border.color: control.visualFocus || highlighted ? Theme.accent : Theme.outline
}
