import QtQuick 2.9
import QtQuick.Controls 2.2
import QtQuick.Layouts 1.3
import com.qelt 1.0

// Sends a camera that cannot be configured an address it keeps until it restarts.
Dialog {
    id: dialog
    objectName: "forceIpDlg"

    required property AddrixModel backend
    property int cameraIndex: -1
    property string cameraName
    property string errorText

    // Opens for one of the model's unconfigurable cameras, with the address it proposes.
    function openFor(index) {
        var camera = backend.unconfigurableCameras[index]
        cameraIndex = index
        cameraName = camera.displayName
        addressField.text = backend.proposeForceIpAddress(index)
        maskField.text = backend.proposeForceIpSubnetMask(index)
        gatewayField.text = "0.0.0.0"
        errorText = ""
        open()
    }

    function send() {
        errorText = ""
        backend.forceIp(cameraIndex, addressField.text, maskField.text, gatewayField.text)
    }

    modal: true
    // The window is small: the dialog takes its width and at most its height.
    width: parent.width - 24
    height: Math.min(implicitHeight, parent.height - 16)
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
                text: dialog.cameraName + " keeps this address until it restarts. "
                      + "Once it is listed, configure it here to give it a lasting one."
            }
            Label {
                objectName: "forceIpError"
                Layout.fillWidth: true
                visible: text !== ""
                wrapMode: Text.WordWrap
                color: "#FF6B6B"
                text: dialog.errorText
            }
        }

        GridLayout {
            Layout.alignment: Qt.AlignTop
            columns: 2
            enabled: !dialog.backend.forcing

            Label { text: "IP Address:" }
            TextField {
                id: addressField
                objectName: "forceIpAddressField"
                Layout.preferredWidth: 130
                selectByMouse: true
                onAccepted: dialog.send()
            }
            Label { text: "Subnet Mask:" }
            TextField {
                id: maskField
                objectName: "forceIpMaskField"
                Layout.preferredWidth: 130
                selectByMouse: true
                onAccepted: dialog.send()
            }
            Label { text: "Default Gateway:" }
            TextField {
                id: gatewayField
                objectName: "forceIpGatewayField"
                Layout.preferredWidth: 130
                selectByMouse: true
                onAccepted: dialog.send()
            }
        }
    }

    footer: DialogButtonBox {
        Button {
            objectName: "sendButton"
            text: dialog.backend.forcing ? "Sending..." : "Send"
            enabled: !dialog.backend.forcing
            onClicked: dialog.send()
        }
        Button {
            objectName: "forceIpCancelButton"
            text: "Cancel"
            enabled: !dialog.backend.forcing
            onClicked: dialog.close()
        }
    }
}
