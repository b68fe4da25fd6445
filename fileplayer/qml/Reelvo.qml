import QtQuick 2.7
import QtQuick.Window 2.2
import QtQuick.Controls 2.2
import QtQuick.Layouts 1.3
import com.qelt.zelkir 1.0
import com.qelt.zelkui 1.0
import "controls"
import "viewer"

ApplicationWindow {
    id: window

    property int toolbarHeight: 40
    property var backend: HalvoModel {}
    property var document: null
    property int fastPlaySkipBy: 10
    property var metadata: FrameInfoModelFilter {
        input: window.document ? window.document.frameInfo : null
    }
    // The file named first on the command line, opened as soon as the window is complete.
    property string startupArgument

    // The open operation: the dialog's choice, a drop, or the command line.
    function doOpen(fname) {
        // A file dropped onto an open one replaces it; the old one must not linger.
        if (document)
            releaseDocument()
        logo.visible = false
        view.visible = true
        metadata.resetFilter()
        document = backend.createDocument(fname)
        if (!document) {
            showOpenFailure()
            return
        }
        const opened = document
        opened.openFailed.connect(function () {
            if (window.document === opened)
                showOpenFailure()
        })
        document.showSaturationColors = false
        view.rois = document.rois
        openButton.enabled = false
        closeButton.enabled = true
    }

    // The close operation of the close button.
    function doClose() {
        if (document)
            releaseDocument()
        view.rois = null
        openButton.enabled = true
        closeButton.enabled = false
        view.visible = false
        logo.visible = true
    }

    function releaseDocument() {
        document.filePlayer.close()
        backend.deleteDocument(document)
        document = null
    }

    // An unreadable file leaves the window as if nothing had been opened.
    function showOpenFailure() {
        doClose()
        openErrorDlg.open()
    }

    visible: true
    title: "Reelvo"
    minimumWidth: 640
    minimumHeight: 708
    // The first size is ours to choose; without a window manager nothing would grow the window.
    width: 1024
    height: 768

    Component.onCompleted: {
        if (startupArgument !== "")
            doOpen(startupArgument)
    }

    FontLoader {
        id: fontAwesome
        source: "qrc:/fonts/fontawesome-webfont.ttf"
    }

    WidgetFileDialog {
        id: fileDialog
        objectName: "fileDialog"
        folder: shortcuts.documents
        selectExisting: true
        selectMultiple: false
        selectFolder: false
        title: "Open"
        nameFilters: ["Supported Files (*.sfmov *.sfimg *.seq *.img *.png *.bmp *.jpg *.jpeg *.tif *.tiff *.fts *.ats *.fcf)", "All files (*)"]
        selectedNameFilter: nameFilters[0]
        onAccepted: window.doOpen(fileDialog.fileUrl.toString())
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
        id: mainColumnLayout
        anchors.fill: parent
        spacing: 0

        // The bar holds its row edge to edge, so buttons sit exactly in their slots.
        ToolBar {
            implicitHeight: window.toolbarHeight
            Layout.fillWidth: true
            padding: 0
            horizontalPadding: 0

            RowLayout {
                anchors.fill: parent
                spacing: 0

                GlyphButton {
                    id: openButton
                    objectName: "openButton"
                    size: window.toolbarHeight
                    font.family: fontAwesome.name
                    text: "\uf07b"
                    onClicked: fileDialog.open()
                }

                GlyphButton {
                    id: closeButton
                    objectName: "closeButton"
                    size: window.toolbarHeight
                    font.family: fontAwesome.name
                    text: "\uf00d"
                    enabled: false
                    onClicked: window.doClose()
                }

                GlyphButton {
                    objectName: "zoomResetButton"
                    size: window.toolbarHeight
                    font.family: fontAwesome.name
                    text: "\uf0b2"
                    enabled: view.zoom !== 0
                    onClicked: view.zoom = 0
                }

                PaletteButton {
                    objectName: "paletteButton"
                    size: window.toolbarHeight
                    highlighted: palettePopup.visible
                    enabled: window.document !== null
                    paletteName: window.document
                        ? window.backend.palettes.paletteNames[window.document.paletteIndex] : "Grayscale"
                    onClicked: palettePopup.visible = true
                }

                PalettePopup {
                    id: palettePopup
                    objectName: "palettePopup"
                    x: window.toolbarHeight * 3
                    y: window.toolbarHeight
                    document: window.document
                    paletteNames: window.document ? window.backend.palettes.paletteNames : null
                }

                EnhancementPopup {
                    id: imgEnhancePopup
                    objectName: "imgEnhancePopup"
                    x: window.toolbarHeight * 4.5 - width / 2
                    y: window.toolbarHeight
                    enhancement: window.document ? window.document.imageEnhancement : null
                }

                GlyphButton {
                    objectName: "imgEnhanceButton"
                    size: window.toolbarHeight
                    enabled: window.document !== null
                    highlighted: imgEnhancePopup.visible
                    font.family: fontAwesome.name
                    text: "\uf1de"
                    onClicked: imgEnhancePopup.visible = true
                }

                GlyphButton {
                    objectName: "configButton"
                    size: window.toolbarHeight
                    enabled: window.document !== null
                    highlighted: configPopup.visible
                    font.family: fontAwesome.name
                    text: "\uf0ad"
                    onClicked: configPopup.visible = true
                }

                ConfigPopup {
                    id: configPopup
                    objectName: "configPopup"
                    x: window.toolbarHeight * 5.5 - width / 2
                    y: window.toolbarHeight
                    frameInfo: window.document ? window.document.frameInfo : null
                    metadata: window.metadata
                    player: window.document ? window.document.filePlayer : null
                    fastPlaySkipBy: window.fastPlaySkipBy
                    onFastPlaySkipByEdited: (skip) => window.fastPlaySkipBy = skip
                }

                TopBarButton {
                    objectName: "presetButton"
                    implicitWidth: window.toolbarHeight
                    implicitHeight: window.toolbarHeight
                    visible: window.document !== null && (window.document.isSequencing || window.document.isSuperframing)
                    enabled: window.document !== null
                    highlighted: presetPopup.visible
                    text: presetPopup.activeText
                    onClicked: presetPopup.visible = true
                }

                PresetPopup {
                    id: presetPopup
                    objectName: "presetPopup"
                    x: window.toolbarHeight * 6.5 - width / 2
                    y: window.toolbarHeight
                    document: window.document
                }

                Minimap {
                    id: minimap
                    objectName: "minimap"
                    mainView: view
                    document: window.document
                }

                PlayBarButton {
                    objectName: "minimapButton"
                    implicitWidth: window.toolbarHeight
                    implicitHeight: window.toolbarHeight
                    enabled: window.document !== null
                    highlighted: minimap.visible
                    font.family: fontAwesome.name
                    font.pixelSize: 24
                    text: "\uf0ac"
                    onClicked: minimap.visible = !minimap.visible
                }

                GlyphButton {
                    id: measureButton
                    objectName: "measureButton"
                    size: window.toolbarHeight
                    enabled: window.document !== null
                    highlighted: measurePanel.visible
                    font.family: fontAwesome.name
                    text: "\uf05b"
                    onClicked: measurePanel.visible = !measurePanel.visible
                }

                MeasurementPanel {
                    id: measurePanel
                    objectName: "measurePanel"
                    x: Math.max(0, measureButton.x + measureButton.width - width)
                    y: window.toolbarHeight
                    document: window.document
                    editor: view.regionEditor
                    folder: fileDialog.folder
                }

                Item {
                    Layout.fillWidth: true
                    height: window.toolbarHeight
                }

                ChoiceBox {
                    objectName: "unitBox"
                    implicitWidth: 164
                    implicitHeight: window.toolbarHeight
                    model: window.document ? window.document.availableUnitStrings : null
                    currentIndex: window.document ? window.document.unitIndex : -1
                    onActivated: {
                        if (window.document)
                            window.document.unitIndex = currentIndex
                    }
                }

                ChoiceBox {
                    objectName: "tempTypeBox"
                    implicitWidth: 64
                    implicitHeight: window.toolbarHeight
                    model: window.document ? window.document.tempTypeStrings : null
                    currentIndex: window.document ? window.document.tempTypeIndex : -1
                    onActivated: {
                        if (window.document)
                            window.document.tempTypeIndex = currentIndex
                    }
                }
            }
        }

        Rectangle {
            objectName: "imageArea"
            Layout.fillWidth: true
            Layout.fillHeight: true
            color: "#48484F"

            Text {
                id: logo
                objectName: "logo"
                anchors.centerIn: parent
                font.pixelSize: 32
                color: "#FAFAFA"
                text: "No File Opened"
            }

            DocumentView {
                id: view
                objectName: "view"
                anchors.fill: parent
                document: window.document
                onHoverPosChanged: spotMeter.place(view)
                onEntered: spotMeter.visible = true
                onExited: spotMeter.visible = false
            }

            ColorBar {
                objectName: "colorBar"
                anchors.right: parent.right
                anchors.rightMargin: 8
                anchors.verticalCenter: parent.verticalCenter
                height: Math.min(parent.height - 64, 400)
                document: window.document
                paletteName: window.document ? window.backend.palettes.paletteNames[window.document.paletteIndex] : "Grayscale"
                shown: measurePanel.showColorBar && view.visible
            }

            SpotMeter {
                id: spotMeter
                objectName: "spotMeter"
                document: window.document
            }

            ReadErrorNotice {
                objectName: "readErrorNotice"
                anchors.top: parent.top
                anchors.topMargin: 8
                anchors.horizontalCenter: parent.horizontalCenter
                width: Math.min(implicitWidth, parent.width - 16)
                player: window.document ? window.document.filePlayer : null
                iconFont: fontAwesome.name
            }
        }

        TransportBar {
            player: window.document ? window.document.filePlayer : null
            fastPlaySkipBy: window.fastPlaySkipBy
            iconFont: fontAwesome.name
        }

        PositionBar {
            player: window.document ? window.document.filePlayer : null
            iconFont: fontAwesome.name
        }

        FrameInfoGrid {
            model: window.metadata.output
        }
    }

    DropArea {
        objectName: "dropArea"
        anchors.fill: parent
        onEntered: (drag) => drag.accepted = true
        onDropped: (drop) => {
            if (!drop.hasUrls)
                return
            window.doOpen(drop.urls[0].toString())
        }
    }
}
