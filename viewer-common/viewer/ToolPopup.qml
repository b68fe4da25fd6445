import QtQuick 2.7
import QtQuick.Controls 2.2

// A popup of the top tool bar: dark, closed at start, closing on Escape or a press outside.
Popup {
    visible: false
    background: Rectangle {
        color: "#2F2F37"
    }
}
