import QtQuick 2.7
import QtQuick.Window 2.2
import QtQuick.Controls 2.2
import QtQuick.Layouts 1.3
import com.qelt.zelkir 1.0
import com.qelt.zelkui 1.0
import "controls"

ApplicationWindow {
    id: window

    property int toolbarHeight: 40
    property var backend: HalvoModel {}
    property var document: null

    function openFile(file) {
        closeFile()
        document = backend.createDocument(file)
        if (!document)
            return
        document.openFailed.connect(function () { openErrorDlg.open() })
        view.rois = document.rois
        view.visible = true
    }

    function closeFile() {
        if (!document)
            return
        view.visible = false
        view.rois = null
        document.filePlayer.close()
        backend.deleteDocument(document)
        document = null
    }

    visible: true
    title: "Reelvo"
    minimumWidth: 640
    minimumHeight: 552
    // Without a window manager nothing would enlarge a window of no size to its minimum.
    width: 800
    height: 600

    // A file named on the command line opens at once, as if chosen in the dialog.
    Component.onCompleted: {
        const args = Qt.application.arguments
        if (args.length > 1)
            openFile(args[args.length - 1])
    }

    FontLoader {
        id: fontAwesome
        source: "qrc:/fonts/fontawesome-webfont.ttf"
    }

    WidgetFileDialog {
        id: fileDialog
        title: "Open File"
        selectExisting: true
        selectMultiple: false
        selectFolder: false
        folder: shortcuts.documents
        nameFilters: ["Supported Files (*.sfmov *.sfimg *.seq *.img *.png *.bmp *.jpg *.jpeg *.tif *.tiff *.fts *.ats *.fcf)", "All files (*)"]
        selectedNameFilter: nameFilters[0]
        onAccepted: window.openFile(fileUrl)
    }

    Dialog {
        id: openErrorDlg
        objectName: "openErrorDlg"
        anchors.centerIn: parent
        modal: true
        closePolicy: Popup.NoAutoClose
        standardButtons: Dialog.Ok
        title: "Error"

        Label {
            text: "Failed to open file."
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        ToolBar {
            implicitHeight: window.toolbarHeight
            Layout.fillWidth: true

            RowLayout {
                anchors.fill: parent
                spacing: 0

                TopBarButton {
                    objectName: "openButton"
                    implicitWidth: window.toolbarHeight
                    implicitHeight: window.toolbarHeight
                    font.family: fontAwesome.name
                    font.pixelSize: 24
                    text: "\uf07b"
                    onClicked: fileDialog.open()
                }

                Item {
                    Layout.fillWidth: true
                }
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.fillHeight: true
            color: "#48484F"

            Text {
                anchors.centerIn: parent
                visible: !view.visible
                text: "Open a file to view it"
                font.pixelSize: 18
            }

            RoiImageView {
                id: view
                objectName: "view"
                anchors.fill: parent
                visible: false
                onCursorPosChanged: if (window.document) window.document.cursorPos = cursorPos
            }

            Binding {
                target: view
                property: "image"
                value: window.document ? window.document.image : null
                when: window.document !== null
            }
        }
    }
}
