import QtQuick

// Background of text entry: a recessed field whose outline shows keyboard focus.
// Read-only fields drop the fill so they read as information, not as input.
Rectangle {
    property bool focused: false
    property bool readOnly: false

    implicitWidth: 160
    implicitHeight: Theme.controlHeight
    radius: Theme.radius
    color: readOnly ? "transparent" : Theme.field
    border.width: 1
    border.color: focused ? Theme.accent : Theme.outline
}
