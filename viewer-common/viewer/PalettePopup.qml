import QtQuick 2.7
import QtQuick.Controls 2.2

// Three columns and four rows of palettes; a click chooses one for the document and closes.
ToolPopup {
    id: popup

    // The names listed, null while there is no document.
    property var paletteNames: null
    property var document: null
    property alias paletteList: paletteList

    width: 3 * 32 + 16
    height: 4 * 32 + 16
    padding: 8

    GridView {
        id: paletteList
        objectName: "paletteList"
        anchors.fill: parent
        cellWidth: 32
        cellHeight: 32
        model: popup.paletteNames
        // A new model resets the view's index, so the binding reads the model too.
        currentIndex: model && popup.document ? popup.document.paletteIndex : -1

        delegate: Item {
            required property string modelData
            required property int index

            width: 32
            height: 32

            PaletteSwatch {
                anchors.centerIn: parent
                paletteName: parent.modelData
            }

            Rectangle {
                objectName: "paletteSelection"
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.bottom: parent.bottom
                height: 4
                color: "#1780EC"
                visible: paletteList.currentIndex === parent.index
            }

            MouseArea {
                anchors.fill: parent
                onClicked: {
                    popup.visible = false
                    if (popup.document)
                        popup.document.paletteIndex = parent.index
                }
            }
        }
    }
}
