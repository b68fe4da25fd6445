import QtQuick 2.9
import QtQuick.Controls 2.2
import QtQuick.Layouts 1.3
import com.qelt 1.0

// What the scan learnt of the selected camera, and the outcome of the last failed apply to it.
Dialog {
    id: dialog
    objectName: "detailsDlg"

    required property AddrixModel backend
    property var details: backend.selectedDetails

    // A label and its value; an empty value reads "Unknown".
    component DetailLabel: Label {
        color: "#B4B4BC"
    }
    component DetailValue: Label {
        property string value
        text: value !== "" ? value : "Unknown"
        elide: Text.ElideRight
        Layout.fillWidth: true
    }

    modal: true
    // The window is small: the dialog takes its width and at most its height, and scrolls
    // what does not fit.
    width: parent.width - 24
    height: Math.min(implicitHeight, parent.height - 16)
    x: (parent.width - width) / 2
    y: (parent.height - height) / 2
    title: backend.selectedCamera !== -1 ? "Details of " + backend.cameras[backend.selectedCamera]
                                         : "Camera Details"
    standardButtons: Dialog.Close

    Flickable {
        id: flickable
        anchors.fill: parent
        implicitHeight: column.implicitHeight
        contentHeight: column.implicitHeight
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar {
            id: scrollBar
            policy: flickable.contentHeight > flickable.height ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff
        }

        ColumnLayout {
            id: column
            width: flickable.width - (scrollBar.visible ? scrollBar.width + 6 : 0)
            spacing: 8

            // First, so that it is seen even when the rest has to scroll.
            Rectangle {
                Layout.fillWidth: true
                implicitHeight: outcomeText.implicitHeight
                visible: outcomeText.text !== ""
                color: "#4A3A1A"
                border.color: "#FFB454"
                radius: 3

                Label {
                    id: outcomeText
                    objectName: "applyOutcomeText"
                    width: parent.width
                    padding: 6
                    wrapMode: Text.WordWrap
                    color: "#FFD9A0"
                    text: dialog.details.applyOutcome || ""
                }
            }

            GridLayout {
                Layout.fillWidth: true
                columns: 4
                rowSpacing: 4
                columnSpacing: 8

                DetailLabel { text: "MAC:" }
                DetailValue { objectName: "detailsMac"; value: dialog.details.macAddress || "" }
                DetailLabel { text: "Interface:" }
                DetailValue {
                    objectName: "detailsInterface"
                    value: dialog.details.hostInterface
                           ? dialog.details.hostInterface
                             + (dialog.details.hostSubnet ? " (" + dialog.details.hostSubnet + ")" : "")
                           : ""
                }
                DetailLabel { text: "Address:" }
                DetailValue { objectName: "detailsAddress"; value: dialog.details.currentIP || "" }
                DetailLabel { text: "Link-local:" }
                DetailValue {
                    objectName: "detailsLinkLocal"
                    value: dialog.details.linkLocal ? "Enabled" : "Disabled"
                }
                DetailLabel { text: "Mask:" }
                DetailValue { objectName: "detailsMask"; value: dialog.details.currentSubnetMask || "" }
                DetailLabel { text: "Gateway:" }
                DetailValue { objectName: "detailsGateway"; value: dialog.details.currentDefaultGateway || "" }
            }

            Label {
                objectName: "detailsNote"
                Layout.fillWidth: true
                wrapMode: Text.WordWrap
                color: "#B4B4BC"
                text: dialog.details.note || ""
            }
        }
    }
}
