import QtQuick 2.7
import QtQuick.Layouts 1.3
import "../controls"

// A non-modal notice along the top of the image area: the file player could not read the
// file any more (it changed on disk). Closing it hides this sentence until another comes.
Rectangle {
    id: notice

    // The document's file player, null while there is none; a player without readError
    // shows nothing.
    property var player: null
    property string iconFont
    readonly property string message: player && typeof player.readError === "string" ? player.readError : ""
    property string dismissed

    onMessageChanged: {
        if (message === "")
            dismissed = ""
    }

    visible: message !== "" && message !== dismissed
    implicitWidth: row.implicitWidth + 8
    height: 36
    color: "#2F2F37"
    border.color: "#1780EC"

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 8
        spacing: 8

        Text {
            objectName: "readErrorText"
            Layout.fillWidth: true
            text: notice.message
        }

        PlayBarButton {
            objectName: "readErrorCloseButton"
            implicitWidth: 28
            implicitHeight: 28
            font.family: notice.iconFont
            font.pixelSize: 16
            text: "\uf00d"
            onClicked: notice.dismissed = notice.message
        }
    }
}
