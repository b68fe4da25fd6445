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

    function openForceIp(index) {
        var camera = backend.unconfigurableCameras[index]
        forceIpDlg.cameraIndex = index
        forceIpDlg.cameraName = camera.displayName
        forceIpAddressField.text = backend.proposeForceIpAddress(index)
        forceIpMaskField.text = backend.proposeForceIpSubnetMask(index)
        forceIpGatewayField.text = "0.0.0.0"
        forceIpDlg.errorText = ""
        forceIpDlg.open()
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

    // A line of the list's rectangle that opens a dialog, drawn as a link.
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

    // A label and its value in the details dialog; an empty value reads "Unknown".
    component DetailLabel: Label {
        color: "#B4B4BC"
    }
    component DetailValue: Label {
        property string value
        text: value !== "" ? value : "Unknown"
        elide: Text.ElideRight
        Layout.fillWidth: true
    }

    Dialog {
        id: addressInUseDlg
        objectName: "addressInUseDlg"
        modal: true
        x: (parent.width - width) / 2
        y: (parent.height - height) / 2
        title: "Address in Use"

        Item {
            implicitWidth: 400
            implicitHeight: children[0].implicitHeight

            Label {
                objectName: "addressInUseText"
                width: parent.width
                wrapMode: Text.WordWrap
                text: backend.addressWarning + "\n\nApply anyway?"
            }
        }

        footer: DialogButtonBox {
            Button {
                objectName: "applyAnywayButton"
                text: "Yes"
                onClicked: {
                    addressInUseDlg.close()
                    window.applyCheckingMask()
                }
            }
            Button {
                objectName: "keepAddressButton"
                text: "No"
                onClicked: addressInUseDlg.close()
            }
        }
    }

    // The window is small: these dialogs take its width and at most its height, and scroll
    // what does not fit.
    Dialog {
        id: unconfigurableDlg
        objectName: "unconfigurableDlg"
        modal: true
        width: window.width - 24
        height: Math.min(implicitHeight, window.height - 16)
        x: (parent.width - width) / 2
        y: (parent.height - height) / 2
        title: "Cameras That Cannot Be Configured"
        standardButtons: Dialog.Close

        // A handful of cameras at most: all made at once, so the dialog knows its height.
        Flickable {
            id: unconfigurableFlickable
            anchors.fill: parent
            implicitHeight: unconfigurableColumn.implicitHeight
            contentHeight: unconfigurableColumn.implicitHeight
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            // Shown throughout, so that a camera below the fold is not missed.
            ScrollBar.vertical: ScrollBar {
                id: unconfigurableScrollBar
                policy: unconfigurableFlickable.contentHeight > unconfigurableFlickable.height ? ScrollBar.AlwaysOn
                                                                                               : ScrollBar.AlwaysOff
            }

            Column {
                id: unconfigurableColumn
                width: unconfigurableFlickable.width - (unconfigurableScrollBar.visible ? unconfigurableScrollBar.width + 6 : 0)
                spacing: 10

                Repeater {
                    id: unconfigurableList
                    objectName: "unconfigurableList"
                    model: backend.unconfigurableCameras

                    delegate: RowLayout {
                        width: unconfigurableColumn.width
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
                            enabled: !(backend.scanning || backend.applying || backend.forcing)
                            text: "Temporary IP..."
                            onClicked: window.openForceIp(index)
                        }
                    }
                }
            }
        }
    }

    Dialog {
        id: forceIpDlg
        objectName: "forceIpDlg"

        property int cameraIndex: -1
        property string cameraName
        property string errorText

        function send() {
            errorText = ""
            backend.forceIp(cameraIndex, forceIpAddressField.text, forceIpMaskField.text, forceIpGatewayField.text)
        }

        modal: true
        width: window.width - 24
        height: Math.min(implicitHeight, window.height - 16)
        x: (parent.width - width) / 2
        y: (parent.height - height) / 2
        title: "Temporary IP Address"
        // Kept open while the address is sent, so that its outcome is seen.
        closePolicy: backend.forcing ? Popup.NoAutoClose : Popup.CloseOnEscape | Popup.CloseOnPressOutside

        RowLayout {
            anchors.fill: parent
            spacing: 14

            ColumnLayout {
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignTop

                Label {
                    objectName: "forceIpExplanation"
                    Layout.fillWidth: true
                    wrapMode: Text.WordWrap
                    text: forceIpDlg.cameraName + " keeps this address until it restarts. "
                          + "Once it is listed, configure it here to give it a lasting one."
                }
                Label {
                    objectName: "forceIpError"
                    Layout.fillWidth: true
                    visible: text !== ""
                    wrapMode: Text.WordWrap
                    color: "#FF6B6B"
                    text: forceIpDlg.errorText
                }
            }

            GridLayout {
                Layout.alignment: Qt.AlignTop
                columns: 2
                enabled: !backend.forcing

                Label { text: "IP Address:" }
                TextField {
                    id: forceIpAddressField
                    objectName: "forceIpAddressField"
                    Layout.preferredWidth: 130
                    selectByMouse: true
                    onAccepted: forceIpDlg.send()
                }
                Label { text: "Subnet Mask:" }
                TextField {
                    id: forceIpMaskField
                    objectName: "forceIpMaskField"
                    Layout.preferredWidth: 130
                    selectByMouse: true
                    onAccepted: forceIpDlg.send()
                }
                Label { text: "Default Gateway:" }
                TextField {
                    id: forceIpGatewayField
                    objectName: "forceIpGatewayField"
                    Layout.preferredWidth: 130
                    selectByMouse: true
                    onAccepted: forceIpDlg.send()
                }
            }
        }

        footer: DialogButtonBox {
            Button {
                objectName: "sendButton"
                text: backend.forcing ? "Sending..." : "Send"
                enabled: !backend.forcing
                onClicked: forceIpDlg.send()
            }
            Button {
                objectName: "forceIpCancelButton"
                text: "Cancel"
                enabled: !backend.forcing
                onClicked: forceIpDlg.close()
            }
        }
    }

    Dialog {
        id: detailsDlg
        objectName: "detailsDlg"

        property var details: backend.selectedDetails

        modal: true
        width: window.width - 24
        height: Math.min(implicitHeight, window.height - 16)
        x: (parent.width - width) / 2
        y: (parent.height - height) / 2
        title: backend.selectedCamera !== -1 ? "Details of " + backend.cameras[backend.selectedCamera]
                                             : "Camera Details"
        standardButtons: Dialog.Close

        Flickable {
            id: detailsFlickable
            anchors.fill: parent
            implicitHeight: detailsColumn.implicitHeight
            contentHeight: detailsColumn.implicitHeight
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar {
                id: detailsScrollBar
                policy: detailsFlickable.contentHeight > detailsFlickable.height ? ScrollBar.AlwaysOn
                                                                                 : ScrollBar.AlwaysOff
            }

            ColumnLayout {
                id: detailsColumn
                width: detailsFlickable.width - (detailsScrollBar.visible ? detailsScrollBar.width + 6 : 0)
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
                        text: detailsDlg.details.applyOutcome || ""
                    }
                }

                GridLayout {
                    Layout.fillWidth: true
                    columns: 4
                    rowSpacing: 4
                    columnSpacing: 8

                    DetailLabel { text: "MAC:" }
                    DetailValue { objectName: "detailsMac"; value: detailsDlg.details.macAddress || "" }
                    DetailLabel { text: "Interface:" }
                    DetailValue {
                        objectName: "detailsInterface"
                        value: detailsDlg.details.hostInterface
                               ? detailsDlg.details.hostInterface
                                 + (detailsDlg.details.hostSubnet ? " (" + detailsDlg.details.hostSubnet + ")" : "")
                               : ""
                    }
                    DetailLabel { text: "Address:" }
                    DetailValue { objectName: "detailsAddress"; value: detailsDlg.details.currentIP || "" }
                    DetailLabel { text: "Link-local:" }
                    DetailValue {
                        objectName: "detailsLinkLocal"
                        value: detailsDlg.details.linkLocal ? "Enabled" : "Disabled"
                    }
                    DetailLabel { text: "Mask:" }
                    DetailValue { objectName: "detailsMask"; value: detailsDlg.details.currentSubnetMask || "" }
                    DetailLabel { text: "Gateway:" }
                    DetailValue { objectName: "detailsGateway"; value: detailsDlg.details.currentDefaultGateway || "" }
                }

                Label {
                    objectName: "detailsNote"
                    Layout.fillWidth: true
                    wrapMode: Text.WordWrap
                    color: "#B4B4BC"
                    text: detailsDlg.details.note || ""
                }
            }
        }
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
                    footer: Rectangle {
                        z: 2
                        width: cameraList.width
                        height: footerLinks.implicitHeight
                        color: "#3B3B43"

                        Column {
                            id: footerLinks
                            width: parent.width

                            LinkLine {
                                objectName: "unconfigurableLink"
                                text: backend.unconfigurableSummary
                                visible: text !== ""
                                onActivated: unconfigurableDlg.open()
                            }
                            LinkLine {
                                objectName: "detailsLink"
                                text: qsTr("Details of the selected camera")
                                visible: backend.selectedCamera !== -1
                                onActivated: detailsDlg.open()
                            }
                        }
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
