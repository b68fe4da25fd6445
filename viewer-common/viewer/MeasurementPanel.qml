import QtQuick 2.7
import QtQuick.Controls 2.2
import QtQuick.Layouts 1.3
import "../controls"

// The measurement tools of a document: regions, scale, object parameters, export and plots.
// It stays open while the user draws on the image, and closes on Escape or its button.
ToolPopup {
    id: panel

    property var document: null
    // The view's region editor, whose drawing tool the regions page chooses.
    property var editor: null
    // Where the export dialogs start.
    property url folder
    property alias showColorBar: scalePage.showColorBar
    property alias currentPage: tabs.currentIndex

    width: 380
    height: 440
    padding: 8
    closePolicy: Popup.CloseOnEscape

    ColumnLayout {
        anchors.fill: parent
        spacing: 6

        TabBar {
            id: tabs
            objectName: "measureTabs"
            Layout.fillWidth: true

            Repeater {
                model: ["Regions", "Scale", "Object", "Export", "Plots"]
                TabButton {
                    required property string modelData
                    objectName: "measureTab:" + modelData
                    text: modelData
                    font.pixelSize: 12
                    leftPadding: 2
                    rightPadding: 2
                }
            }
        }

        StackLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            currentIndex: tabs.currentIndex

            RegionsPage {
                objectName: "regionsPage"
                document: panel.document
                editor: panel.editor
            }

            ScalePage {
                id: scalePage
                objectName: "scalePage"
                document: panel.document
            }

            ObjectPage {
                objectName: "objectPage"
                document: panel.document
            }

            ExportPage {
                objectName: "exportPage"
                document: panel.document
                folder: panel.folder
            }

            // Charts are made only while their page shows.
            Loader {
                objectName: "plotsLoader"
                active: panel.visible && tabs.currentIndex === 4
                sourceComponent: PlotsPage {
                    objectName: "plotsPage"
                    document: panel.document
                }
            }
        }
    }
}
