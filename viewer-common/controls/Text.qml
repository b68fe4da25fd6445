import QtQuick 2.9
import QtQuick.Controls 2.2

// Text of the dark windows; markup is shown as written.
Text {
    color: "#FAFAFA"
    opacity: enabled ? 1 : 0.5
    elide: Text.ElideRight
    textFormat: Text.PlainText
}
