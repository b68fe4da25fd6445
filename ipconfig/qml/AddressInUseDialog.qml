import QtQuick 2.9
import QtQuick.Controls 2.2
import com.qelt 1.0

// Asks before a fixed address that another camera already answers on is applied.
Dialog {
    id: dialog
    objectName: "addressInUseDlg"

    required property AddrixModel backend

    // Yes: the rest of Apply goes on, once this dialog is closed.
    signal applyConfirmed()

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
            text: dialog.backend.addressWarning + "\n\nApply anyway?"
        }
    }

    footer: DialogButtonBox {
        Button {
            objectName: "applyAnywayButton"
            text: "Yes"
            onClicked: {
                dialog.close()
                dialog.applyConfirmed()
            }
        }
        Button {
            objectName: "keepAddressButton"
            text: "No"
            onClicked: dialog.close()
        }
    }
}
