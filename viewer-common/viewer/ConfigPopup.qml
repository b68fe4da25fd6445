import QtQuick 2.7
import QtQuick.Controls 2.2
import QtQuick.Layouts 1.3
import "../controls"

// Picks the frame information shown in the grid, and holds the two playback settings.
ToolPopup {
    id: popup

    // The document's frameInfo, null while there is none.
    property var frameInfo: null
    // The window's FrameInfoModelFilter.
    property var metadata: null
    // The document's file player, whose rate and play speed the fields read.
    property var player: null
    // Where the rate field writes: the file player, or the live stream of a camera.
    property var rateTarget: player
    property int fastPlaySkipBy: 10
    // The camera player writes its captions in the shared Text rather than the style's Label.
    property bool plainCaptions: false
    property alias frameInfoEnabledList: frameInfoEnabledList

    // The skip field's new value; the window stores it in its own fastPlaySkipBy.
    signal fastPlaySkipByEdited(int skip)

    // The marks of the rows are read when rows are made, so all of them are made again.
    function rebuildRows() {
        frameInfoEnabledList.model = null
        frameInfoEnabledList.model = Qt.binding(function () { return popup.frameInfo })
    }

    // A caption of the popup, of the type the window asks for.
    component Caption: Loader {
        property string text

        sourceComponent: popup.plainCaptions ? plainCaption : styledCaption
    }

    Component {
        id: styledCaption

        Label {
            text: parent.text
            verticalAlignment: Text.AlignVCenter
        }
    }

    Component {
        id: plainCaption

        Text {
            text: parent.text
            verticalAlignment: Text.AlignVCenter
        }
    }

    width: 276
    height: 348
    padding: 8

    ColumnLayout {
        anchors.fill: parent
        spacing: 4

        Caption {
            text: "Frame Info"
        }

        ListView {
            id: frameInfoEnabledList
            objectName: "frameInfoEnabledList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            model: popup.frameInfo
            clip: true
            ScrollIndicator.vertical: ScrollIndicator {}

            delegate: Rectangle {
                id: infoRow

                required property string name
                property bool highlighted: false

                // Marks follow clicks only; the buttons below rebuild the rows to re-read them.
                function updateHighlight(value) {
                    highlighted = value
                    indicator.visible = value
                }

                objectName: "frameInfoRow:" + infoRow.name
                implicitHeight: 20
                implicitWidth: frameInfoEnabledList.width
                color: infoRow.highlighted ? "#48484F" : "#3B3B43"
                Component.onCompleted: infoRow.updateHighlight(popup.metadata.isInFilter(infoRow.name))

                Text {
                    anchors.fill: parent
                    text: infoRow.name
                    leftPadding: 8
                    verticalAlignment: Text.AlignVCenter
                    color: "#FAFAFA"
                }

                Rectangle {
                    id: indicator
                    anchors.left: parent.left
                    anchors.top: parent.top
                    anchors.bottom: parent.bottom
                    width: 4
                    color: "#1780EC"
                }

                MouseArea {
                    anchors.fill: parent
                    onClicked: {
                        if (popup.metadata.isInFilter(infoRow.name)) {
                            popup.metadata.removeFromFilter(infoRow.name)
                            infoRow.updateHighlight(false)
                        } else {
                            popup.metadata.addToFilter(infoRow.name)
                            infoRow.updateHighlight(true)
                        }
                    }
                }
            }
        }

        RowLayout {
            Button {
                objectName: "unselectAllButton"
                implicitWidth: 100
                // The label needs the width the style's padding would take.
                horizontalPadding: 4
                text: "Unselect All"
                onClicked: {
                    popup.metadata.unselectAll()
                    popup.rebuildRows()
                }
            }

            Item {
                Layout.fillWidth: true
            }

            Button {
                objectName: "selectAllButton"
                implicitWidth: 100
                horizontalPadding: 4
                text: "Select All"
                onClicked: {
                    popup.metadata.selectAll()
                    popup.rebuildRows()
                }
            }
        }

        Caption {
            text: "Selected ittems will be displayed in the\nframe info grid under the image."
        }

        RowLayout {
            Caption {
                Layout.fillWidth: true
                text: "Target display rate:"
            }

            TextField {
                objectName: "rateField"
                implicitWidth: 80
                selectByMouse: true
                text: popup.player ? Number(popup.player.targetDisplayRate).toFixed(1) : ""
                onEditingFinished: {
                    if (popup.rateTarget)
                        popup.rateTarget.targetDisplayRate = text
                }
            }
        }

        RowLayout {
            Caption {
                Layout.fillWidth: true
                text: "Fast forward skip by:"
            }

            TextField {
                objectName: "skipField"
                implicitWidth: 80
                selectByMouse: true
                text: popup.fastPlaySkipBy
                validator: IntValidator {
                    bottom: 2
                }
                // A running fast play takes the new skip at once, in its own direction.
                onEditingFinished: {
                    const player = popup.player
                    const skip = parseInt(text, 10)
                    const direction = !player ? 0
                        : player.playSpeed === popup.fastPlaySkipBy ? 1
                        : player.playSpeed === -popup.fastPlaySkipBy ? -1 : 0
                    popup.fastPlaySkipByEdited(skip)
                    if (direction !== 0)
                        player.playSpeed = direction * skip
                }
            }
        }
    }
}
