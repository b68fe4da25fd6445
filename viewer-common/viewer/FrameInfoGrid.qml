import QtQuick 2.7
import QtQuick.Controls 2.2
import QtQuick.Layouts 1.3
import "../controls"

// The picked frame information, name beside value, in columns of at least 296 pixels.
Rectangle {
    property alias model: frameInfoGrid.model
    property alias frameInfoGrid: frameInfoGrid

    Layout.fillWidth: true
    Layout.preferredHeight: 100
    color: "#48484F"

    GridView {
        id: frameInfoGrid
        objectName: "frameInfoGrid"
        anchors.fill: parent
        cellHeight: 20
        cellWidth: width / Math.floor(width / 296)
        clip: true
        ScrollIndicator.vertical: ScrollIndicator {}

        delegate: Item {
            id: cell

            required property string name
            required property string value

            width: frameInfoGrid.cellWidth
            height: 20

            Rectangle {
                anchors.left: parent.left
                anchors.top: parent.top
                anchors.bottom: parent.bottom
                width: parent.width / 2
                color: "#2F2F37"

                Text {
                    anchors.fill: parent
                    text: cell.name
                    leftPadding: 4
                    verticalAlignment: Text.AlignVCenter
                    color: "#FAFAFA"
                }
            }

            Rectangle {
                anchors.right: parent.right
                anchors.top: parent.top
                anchors.bottom: parent.bottom
                width: parent.width / 2
                color: "#48484F"

                Text {
                    anchors.fill: parent
                    text: cell.value
                    leftPadding: 4
                    verticalAlignment: Text.AlignVCenter
                    color: "#FAFAFA"
                }
            }
        }
    }
}
