import QtQuick 2.7
import QtQuick.Controls 2.2
import QtQuick.Layouts 1.3
import "../controls"

// The regions of the document with their figures, and the tools that draw new ones.
ColumnLayout {
    id: page

    property var document: null
    property var editor: null
    readonly property var regions: document ? document.regions : null

    spacing: 4

    RowLayout {
        spacing: 2

        Repeater {
            model: [["spot", "Spot"], ["box", "Box"], ["ellipse", "Ellipse"], ["line", "Line"]]

            Button {
                required property var modelData

                objectName: "regionTool:" + modelData[0]
                text: modelData[1]
                checkable: true
                checked: !!page.editor && page.editor.tool === modelData[0]
                enabled: !!page.regions
                Layout.fillWidth: true
                onClicked: page.editor.tool = checked ? modelData[0] : ""
            }
        }
    }

    RowLayout {
        spacing: 2

        Button {
            objectName: "regionDelete"
            text: "Delete"
            Layout.fillWidth: true
            enabled: !!page.regions && page.regions.selected >= 0
            onClicked: page.regions.remove(page.regions.selected)
        }

        Button {
            objectName: "regionClear"
            text: "Delete All"
            Layout.fillWidth: true
            enabled: !!page.regions && page.regions.count > 0
            onClicked: page.regions.clear()
        }
    }

    Text {
        Layout.fillWidth: true
        visible: !!page.regions && page.regions.count === 0
        wrapMode: Text.WordWrap
        text: "Choose a tool and drag on the image. Select a region to move it with the pointer or the arrow keys; Ctrl with the arrows resizes it, Delete removes it."
    }

    ListView {
        id: list
        objectName: "regionList"
        Layout.fillWidth: true
        Layout.fillHeight: true
        clip: true
        model: page.regions
        spacing: 1
        ScrollIndicator.vertical: ScrollIndicator {}

        header: RowLayout {
            width: list.width
            visible: list.count > 0
            spacing: 0
            Repeater {
                model: ["", "Min", "Max", "Mean", "Std Dev"]
                Text {
                    required property var modelData
                    required property int index
                    Layout.preferredWidth: index === 0 ? 76 : 0
                    Layout.fillWidth: index > 0
                    horizontalAlignment: index === 0 ? Text.AlignLeft : Text.AlignRight
                    font.pixelSize: 11
                    color: "#B0B0B8"
                    text: modelData
                }
            }
        }

        delegate: Item {
            id: row

            required property int index
            required property string name
            required property color color
            required property string minimumText
            required property string maximumText
            required property string meanText
            required property string deviationText

            objectName: "regionRow:" + name
            width: list.width
            height: 22

            Rectangle {
                anchors.fill: parent
                color: page.regions && page.regions.selected === row.index ? "#48484F" : "#3B3B43"
            }

            MouseArea {
                anchors.fill: parent
                onClicked: page.regions.selected = row.index
            }

            RowLayout {
                anchors.fill: parent
                anchors.leftMargin: 4
                anchors.rightMargin: 4
                spacing: 0

                Rectangle {
                    width: 10
                    height: 10
                    color: row.color
                }

                Text {
                    Layout.preferredWidth: 62
                    leftPadding: 4
                    elide: Text.ElideRight
                    text: row.name
                }

                Repeater {
                    model: [row.minimumText, row.maximumText, row.meanText, row.deviationText]
                    Text {
                        required property var modelData
                        Layout.fillWidth: true
                        horizontalAlignment: Text.AlignRight
                        text: modelData
                    }
                }
            }
        }
    }
}
