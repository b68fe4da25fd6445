import QtQuick 2.9
import QtQuick.Controls 2.2
import QtQuick.Layouts 1.3
import com.qelt 1.0

// The cameras the scan found but cannot configure, each with why, and a temporary address
// for those that take one.
Dialog {
    id: dialog
    objectName: "unconfigurableDlg"

    required property AddrixModel backend

    // The temporary-address dialog is the window's to open, over this one.
    signal forceIpRequested(int index)

    modal: true
    // The window is small: the dialog takes its width and at most its height, and scrolls
    // what does not fit.
    width: parent.width - 24
    height: Math.min(implicitHeight, parent.height - 16)
    x: (parent.width - width) / 2
    y: (parent.height - height) / 2
    title: "Cameras That Cannot Be Configured"
    standardButtons: Dialog.Close

    // A handful of cameras at most: all made at once, so the dialog knows its height.
    Flickable {
        id: flickable
        anchors.fill: parent
        implicitHeight: column.implicitHeight
        contentHeight: column.implicitHeight
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        // Shown throughout, so that a camera below the fold is not missed.
        ScrollBar.vertical: ScrollBar {
            id: scrollBar
            policy: flickable.contentHeight > flickable.height ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff
        }

        Column {
            id: column
            width: flickable.width - (scrollBar.visible ? scrollBar.width + 6 : 0)
            spacing: 10

            Repeater {
                objectName: "unconfigurableList"
                model: dialog.backend.unconfigurableCameras

                delegate: RowLayout {
                    width: column.width
                    spacing: 8

                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 1

                        Label {
                            objectName: "unconfigurableName"
                            Layout.fillWidth: true
                            elide: Text.ElideRight
                            font.bold: true
                            text: modelData.displayName
                        }
                        Label {
                            objectName: "unconfigurableReason"
                            Layout.fillWidth: true
                            wrapMode: Text.WordWrap
                            color: "#FFB454"
                            text: modelData.reason
                        }
                        Label {
                            objectName: "unconfigurableDetails"
                            Layout.fillWidth: true
                            wrapMode: Text.WordWrap
                            color: "#B4B4BC"
                            text: "MAC " + (modelData.macAddress !== "" ? modelData.macAddress : "unknown")
                                  + ", address " + modelData.address
                                  + ", answered on " + (modelData.hostInterface !== "" ? modelData.hostInterface : "an unknown interface")
                                  + (modelData.hostSubnet !== "" ? " (" + modelData.hostSubnet + ")" : "")
                        }
                    }
                    Button {
                        objectName: "forceIpButton"
                        visible: modelData.canForceIp
                        enabled: !(dialog.backend.scanning || dialog.backend.applying || dialog.backend.forcing)
                        text: "Temporary IP..."
                        onClicked: dialog.forceIpRequested(index)
                    }
                }
            }
        }
    }
}
