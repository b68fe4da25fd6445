import QtQuick
import QtQuick.Templates as T
import qeltstyle.impl

T.Label {
    id: control

    color: Theme.text
    linkColor: Theme.highlightedText
    verticalAlignment: Text.AlignVCenter
    opacity: enabled ? 1 : Theme.disabledOpacity
}
