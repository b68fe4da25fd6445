import QtQuick 2.9
import QtQuick.Controls 2.2
import com.qelt 1.0

// The lines at the foot of the camera list that open the window's dialogs.
Rectangle {
    id: footer

    required property AddrixModel backend

    signal unconfigurableRequested()
    signal detailsRequested()

    // A line that opens a dialog, drawn as a link.
    component LinkLine: Label {
        signal activated()

        // The list is narrow: a long line wraps rather than losing its end.
        width: parent ? parent.width : 0
        topPadding: 2
        bottomPadding: 2
        leftPadding: 8
        rightPadding: 8
        wrapMode: Text.WordWrap
        color: "#5AABFF"
        font.underline: linkArea.containsMouse

        MouseArea {
            id: linkArea
            anchors.fill: parent
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            onClicked: parent.activated()
        }
    }

    height: links.implicitHeight
    color: "#3B3B43"

    Column {
        id: links
        width: parent.width

        LinkLine {
            objectName: "unconfigurableLink"
            text: footer.backend.unconfigurableSummary
            visible: text !== ""
            onActivated: footer.unconfigurableRequested()
        }
        LinkLine {
            objectName: "detailsLink"
            text: qsTr("Details of the selected camera")
            visible: footer.backend.selectedCamera !== -1
            onActivated: footer.detailsRequested()
        }
    }
}
