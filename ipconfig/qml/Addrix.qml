import QtQuick 2.9
import QtQuick.Controls 2.2
import QtQuick.Layouts 1.3
import com.qelt 1.0

ApplicationWindow {
    id: window

    property var backend: AddrixModel {
        onApplyFailed: applyFailedErrorDlg.open()
        onForceIpFailed: function (message) { forceIpDlg.errorText = message }
        onForceIpSucceeded: {
            window.rescuedCamera = forceIpDlg.cameraName
            forceIpDlg.close()
            unconfigurableDlg.close()
        }
        // Once the rescan after a temporary address has listed the camera, select it, so the
        // user can go on and give it a lasting configuration.
        onScanningChanged: {
            if (backend.scanning || window.rescuedCamera === "")
                return
            var index = backend.cameras.indexOf(window.rescuedCamera)
            window.rescuedCamera = ""
            if (index !== -1)
                cameraList.currentIndex = index
        }
    }
    // The camera a temporary address was just sent to, until the rescan after it ends.
    property string rescuedCamera: ""

    visible: true
    title: qsTr("Addrix")
    flags: Qt.Dialog
    width: theGrid.implicitWidth * 1.75 + 16
    height: theGrid.implicitHeight + 16
    minimumWidth: theGrid.implicitWidth * 1.75 + 16
    maximumWidth: theGrid.implicitWidth * 1.75 + 16
    minimumHeight: theGrid.implicitHeight + 16
    maximumHeight: theGrid.implicitHeight + 16

    Component.onCompleted: backend.scan()
    onClosing: function (close) {
        // A running temporary-address task holds the model as much as a scan or an apply does.
        close.accepted = !backend.scanning && !backend.applying && !backend.forcing
    }

    // The rest of Apply after any question about the address: the mask check, then the apply.
    function applyCheckingMask() {
        if (!backend.dhcpEnabled && backend.subnetMask != backend.recommendedSubnetMask)
            recommendedSubnetDlg.open()
        else
            backend.apply()
    }

    Dialog {
        id: applyFailedErrorDlg
        objectName: "applyFailedErrorDlg"
        modal: true
        x: (parent.width - width) / 2
        y: (parent.height - height) / 2
        title: "Error"
        standardButtons: Dialog.Ok

        Text {
            text: "Failed to apply settings."
            color: "#FAFAFA"
        }
    }

    Dialog {
        id: recommendedSubnetDlg
        objectName: "recommendedSubnetDlg"
        modal: true
        x: (parent.width - width) / 2
        y: (parent.height - height) / 2
        title: "Subnet Mask"

        Item {
            implicitWidth: 400
            implicitHeight: children[0].implicitHeight

            Label {
                objectName: "recommendedSubnetText"
                width: parent.width
                wrapMode: Text.WordWrap
                text: "Subnet mask " + backend.subnetMask + " doesn't match the recommended subnet mask "
                      + backend.recommendedSubnetMask + ".\n\nDo you want to use the recommended subnet mask "
                      + backend.recommendedSubnetMask + " instead?"
            }
        }

        footer: DialogButtonBox {
            Button {
                objectName: "yesButton"
                text: "Yes"
                onClicked: {
                    recommendedSubnetDlg.close()
                    backend.subnetMask = backend.recommendedSubnetMask
                    backend.apply()
                }
            }
            Button {
                objectName: "noButton"
                text: "No"
                onClicked: {
                    recommendedSubnetDlg.close()
                    backend.apply()
                }
            }
            Button {
                objectName: "cancelButton"
                text: "Cancel"
                onClicked: recommendedSubnetDlg.close()
            }
        }
    }

    AddressInUseDialog {
        id: addressInUseDlg
        backend: window.backend
        onApplyConfirmed: window.applyCheckingMask()
    }
    UnconfigurableDialog {
        id: unconfigurableDlg
        backend: window.backend
        onForceIpRequested: function (index) { forceIpDlg.openFor(index) }
    }
    ForceIpDialog {
        id: forceIpDlg
        backend: window.backend
    }
    DetailsDialog {
        id: detailsDlg
        backend: window.backend
    }

    RowLayout {
        anchors.fill: parent
        anchors.margins: 8

        ColumnLayout {
            Layout.fillWidth: true
            // The window is 1.75 grids wide: the rest is the list's, or the layout would
            // give the list no more than the Rescan button needs.
            Layout.preferredWidth: theGrid.implicitWidth * 0.75

            Rectangle {
                Layout.fillWidth: true
                Layout.fillHeight: true
                color: "#3B3B43"

                ListView {
                    id: cameraList
                    objectName: "cameraList"
                    anchors.fill: parent
                    model: backend.cameras
                    clip: true
                    currentIndex: backend.selectedCamera
                    onCurrentIndexChanged: backend.selectedCamera = currentIndex

                    ScrollIndicator.vertical: ScrollIndicator {}

                    delegate: Item {
                        implicitHeight: 20
                        implicitWidth: cameraList.width

                        Label {
                            anchors.fill: parent
                            text: modelData
                            leftPadding: 8
                            verticalAlignment: Text.AlignVCenter
                            elide: Text.ElideRight
                            color: "#FAFAFA"
                        }
                        MouseArea {
                            anchors.fill: parent
                            onClicked: cameraList.currentIndex = index
                            onDoubleClicked: {
                                cameraList.currentIndex = index
                                detailsDlg.open()
                            }
                        }
                    }

                    // Kept at the bottom of the list's rectangle, over the entries' end, so that
                    // it is seen however many cameras there are.
                    footerPositioning: ListView.OverlayFooter
                    footer: CameraListFooter {
                        z: 2
                        width: cameraList.width
                        backend: window.backend
                        onUnconfigurableRequested: unconfigurableDlg.open()
                        onDetailsRequested: detailsDlg.open()
                    }

                    highlight: Rectangle {
                        color: "#48484F"

                        Rectangle {
                            width: 4
                            height: parent.height
                            color: "#1780EC"
                        }
                    }
                }
            }

            Button {
                objectName: "rescanButton"
                Layout.fillWidth: true
                text: backend.scanning ? qsTr("Scanning...") : qsTr("Rescan")
                enabled: !(backend.scanning || backend.applying)
                onClicked: backend.scan()
            }
        }

        GridLayout {
            id: theGrid
            Layout.fillWidth: true
            columns: 2

            Label {
                text: qsTr("Current IP Address:")
                enabled: backend.selectedCamera !== -1 && !(backend.scanning || backend.applying)
            }
            TextField {
                objectName: "currentIpField"
                text: backend.currentIP
                readOnly: true
                selectByMouse: true
                Layout.fillWidth: true
                enabled: backend.selectedCamera !== -1 && !(backend.scanning || backend.applying)
            }

            RadioButton {
                objectName: "dhcpRadio"
                text: qsTr("Obtain an IP Address automatically")
                Layout.columnSpan: 2
                enabled: backend.selectedCamera !== -1 && !(backend.scanning || backend.applying)
                checked: backend.dhcpEnabled
                onToggled: if (checked) backend.dhcpEnabled = true
            }
            RadioButton {
                objectName: "fixedRadio"
                text: qsTr("Use the following IP Address")
                Layout.columnSpan: 2
                enabled: backend.selectedCamera !== -1 && !(backend.scanning || backend.applying)
                checked: !backend.dhcpEnabled
                onToggled: if (checked) backend.dhcpEnabled = false
            }

            Label {
                text: qsTr("IP Address:")
                leftPadding: 24
                enabled: backend.selectedCamera !== -1 && !backend.dhcpEnabled && !(backend.scanning || backend.applying)
            }
            TextField {
                objectName: "ipAddressField"
                Layout.fillWidth: true
                selectByMouse: true
                enabled: backend.selectedCamera !== -1 && !backend.dhcpEnabled && !(backend.scanning || backend.applying)
                text: backend.ipAddress
                onTextEdited: backend.ipAddress = text
            }

            Label {
                text: qsTr("Subnet Mask:")
                leftPadding: 24
                enabled: backend.selectedCamera !== -1 && !backend.dhcpEnabled && !(backend.scanning || backend.applying)
            }
            TextField {
                objectName: "subnetMaskField"
                Layout.fillWidth: true
                selectByMouse: true
                enabled: backend.selectedCamera !== -1 && !backend.dhcpEnabled && !(backend.scanning || backend.applying)
                text: backend.subnetMask
                onTextEdited: backend.subnetMask = text
            }

            Label {
                text: qsTr("Default Gateway:")
                leftPadding: 24
                enabled: backend.selectedCamera !== -1 && !backend.dhcpEnabled && !(backend.scanning || backend.applying)
            }
            TextField {
                objectName: "defaultGatewayField"
                Layout.fillWidth: true
                selectByMouse: true
                enabled: backend.selectedCamera !== -1 && !backend.dhcpEnabled && !(backend.scanning || backend.applying)
                text: backend.defaultGateway
                onTextEdited: backend.defaultGateway = text
            }

            Button {
                objectName: "applyButton"
                Layout.columnSpan: 2
                Layout.alignment: Qt.AlignRight
                text: backend.applying ? qsTr("Applying...") : qsTr("Apply")
                enabled: backend.selectedCamera !== -1 && !(backend.scanning || backend.applying) && backend.settingsValid
                onClicked: {
                    if (!backend.dhcpEnabled && backend.addressWarning !== "")
                        addressInUseDlg.open()
                    else
                        window.applyCheckingMask()
                }
            }
        }
    }
}
