import QtQuick
import QtQuick.Window
import QtQuick.Controls
import QtQuick.Layouts
import com.qelt.zelkir 1.0
import Qt.labs.platform 1.0 as Labs
import "controls"
import "zelkcamui/controls"
import "viewer"

ApplicationWindow {
    id: app

    property string lastDirectoryOpened: Labs.StandardPaths.DocumentsLocation
    property int toolbarHeight: 40
    property var backend: HalvoModel {}
    property var document: null
    property int fastPlaySkipBy: 10
    property var badPixelPickerModel: CameraBadPixelPickerModel {
        applyInRealTime: false
        roiImageView: view
        documentModel: app.document
        onBplDownloadFailed: downloadErrorDlg.open()
        onBplUploadFailed: downloadErrorDlg.open()
    }
    property string lastCameraFname: backend.configDir + "/lastCamera.xml"
    property var lastCamera: backend.cameraFinder.loadCameraInfo(lastCameraFname)
    property var metadata: FrameInfoModelFilter {
        function safeGetInput() {
            return app.documentExists() ? app.document.frameInfo : null
        }

        input: safeGetInput()
    }
    // The camera named first on the command line (address or serial number), connected to
    // once a scan has found it.
    property string startupArgument

    function documentExists() {
        return app.document !== null && app.document !== undefined
    }

    function doConnect(cameraInfo) {
        cameraPopup.visible = false
        logo.visible = false
        view.visible = true
        metadata.resetFilter()
        document = backend.createDocument(cameraInfo)
        document.realtime.connectFailed.connect(app.connectFailed)
        document.showSaturationColors = false
        cameraInfo.save(lastCameraFname)
        lastCamera = backend.cameraFinder.loadCameraInfo(lastCameraFname)
        view.rois = document.rois
        closeButton.enabled = true
        connectButton.enabled = false
    }

    function doDisconnect() {
        document.realtime.disconnect()
        backend.deleteDocument(document)
        document = null
        view.rois = null
        closeButton.enabled = false
        connectButton.enabled = true
        view.visible = false
        logo.visible = true
    }

    function connectFailed() {
        doDisconnect()
        connectFailedDlg.open()
    }

    function isSequencingWithAvailablePreset(mask) {
        return documentExists() && document.isSequencing && (document.availablePresets & mask) !== 0
    }

    function isScaleMode(mode) {
        return documentExists() && !!document.imageEnhancement && document.imageEnhancement.scaleMode === mode
    }

    function isActivePreset(preset) {
        return documentExists() && document.activePreset === preset
    }

    visible: true
    title: "Livano"
    minimumWidth: 640
    minimumHeight: 652
    // The first size is ours to choose; without a window manager nothing would grow the window.
    width: 1024
    height: 768

    Component.onCompleted: {
        if (startupArgument !== "")
            startupConnection.start()
    }

    // Connects to the camera named on the command line as soon as a scan finds it.
    QtObject {
        id: startupConnection

        function start() {
            backend.cameraFinder.scanningChanged.connect(startupConnection.scanned)
            backend.cameraFinder.scan()
        }

        function scanned() {
            if (backend.cameraFinder.scanning)
                return
            backend.cameraFinder.scanningChanged.disconnect(startupConnection.scanned)
            const camera = backend.cameraFinder.cameras.find(app.startupArgument)
            if (!camera) {
                console.warn("Livano: no camera", app.startupArgument, "found")
                connectFailedDlg.open()
            } else if (!app.documentExists()) {
                app.doConnect(camera)
            }
        }
    }

    FontLoader {
        id: fontAwesome
        source: "qrc:/fonts/fontawesome-webfont.ttf"
    }

    // Registers the family for the camera panels of the plugin.
    FontLoader {
        id: materialIcons
        source: "qrc:/fonts/MaterialIcons-Regular.ttf"
    }

    Dialog {
        id: connectFailedDlg
        objectName: "connectFailedDlg"
        x: (app.width - width) / 2
        y: (app.height - height) / 2
        modal: false
        standardButtons: Dialog.Ok
        title: qsTr("Error")

        Label {
            padding: 8
            text: qsTr("Failed to connect to the camera.")
        }
    }

    Dialog {
        id: downloadErrorDlg
        objectName: "downloadErrorDlg"
        x: (app.width - width) / 2
        y: (app.height - height) / 2
        modal: true
        title: "Error"

        background: Rectangle {
            color: "#2F2F37"
        }

        header: Rectangle {
            implicitHeight: 56
            color: "#2F2F37"

            Text {
                anchors.verticalCenter: parent.verticalCenter
                leftPadding: 16
                font.pixelSize: 24
                text: downloadErrorDlg.title
            }
        }

        footer: Rectangle {
            implicitHeight: 44
            color: "#22222B"

            Button {
                objectName: "downloadErrorOkButton"
                implicitWidth: 80
                anchors.right: parent.right
                anchors.rightMargin: 8
                anchors.verticalCenter: parent.verticalCenter
                text: "OK"
                onClicked: downloadErrorDlg.close()
            }
        }

        Text {
            objectName: "downloadErrorText"
            text: "Failed to download/upload bad pixel list."
        }
    }

    ColumnLayout {
        id: mainColumnLayout
        anchors.fill: parent
        spacing: 0

        // The bar holds its row edge to edge, so buttons sit exactly in their slots.
        ToolBar {
            implicitHeight: app.toolbarHeight
            Layout.fillWidth: true
            padding: 0
            horizontalPadding: 0

            RowLayout {
                anchors.fill: parent
                spacing: 0

                GlyphButton {
                    id: connectButton
                    objectName: "connectButton"
                    size: app.toolbarHeight
                    font.family: fontAwesome.name
                    text: "\uf030"
                    onClicked: {
                        if (app.lastCamera === null && app.backend.cameraFinder.cameras.size === 0)
                            app.backend.cameraFinder.scan()
                        cameraPopup.visible = true
                    }
                }

                CameraFinderPopup {
                    id: cameraPopup
                    objectName: "cameraPopup"
                    visible: false
                    x: 0
                    y: app.toolbarHeight
                    cameraFinder: app.backend.cameraFinder
                    configDir: app.backend.configDir
                    onConnect: (camera) => app.doConnect(camera)
                }

                GlyphButton {
                    id: closeButton
                    objectName: "closeButton"
                    size: app.toolbarHeight
                    font.family: fontAwesome.name
                    text: "\uf127"
                    enabled: false
                    onClicked: app.doDisconnect()
                }

                GlyphButton {
                    objectName: "zoomResetButton"
                    size: app.toolbarHeight
                    font.family: fontAwesome.name
                    text: "\uf0b2"
                    enabled: view.zoom !== 0
                    onClicked: view.zoom = 0
                }

                PaletteButton {
                    objectName: "paletteButton"
                    size: app.toolbarHeight
                    highlighted: palettePopup.visible
                    enabled: app.document !== null
                    paletteName: app.document
                        ? app.backend.palettes.paletteNames[app.document.paletteIndex] : "Grayscale"
                    onClicked: palettePopup.visible = true
                }

                PalettePopup {
                    id: palettePopup
                    objectName: "palettePopup"
                    x: app.toolbarHeight * 3
                    y: app.toolbarHeight
                    document: app.document
                    // The grid lists the document's own palettes.
                    paletteNames: app.documentExists() && app.document.palettes
                        && app.document.palettes.paletteNames ? app.document.palettes.paletteNames : null
                }

                GlyphButton {
                    id: controllerButton
                    objectName: "controllerButton"
                    size: app.toolbarHeight
                    font.family: fontAwesome.name
                    text: "\uf013"
                    highlighted: controllerPopup.visible
                    enabled: app.document !== null && app.document.realtime.cameraModel !== null
                    onClicked: controllerPopup.visible = true
                }

                Popup {
                    id: controllerPopup
                    objectName: "controllerPopup"
                    visible: false
                    x: 0
                    y: app.toolbarHeight
                    padding: 0
                    width: contentWidth
                    height: contentHeight

                    background: Rectangle {
                        color: "#2F2F37"
                    }

                    // The camera's own panel, from the plugin; it finds cameraModel and the
                    // functions below on this loader, and the window's names after them.
                    Loader {
                        id: controllerLoader
                        objectName: "controllerLoader"

                        property var cameraModel: getSafeCameraModel()

                        function cameraConnected() {
                            if (app.document) {
                                if (app.document.realtime) {
                                    if (app.document.realtime.cameraModel)
                                        return app.document.realtime.cameraModel.connected
                                }
                            }
                            return false
                        }

                        function getSafeControllerQml() {
                            if (cameraConnected())
                                return "../" + app.document.realtime.controllerQml
                            return ""
                        }

                        function getSafeCameraModel() {
                            if (cameraConnected())
                                return app.document.realtime.cameraModel
                            return null
                        }

                        function safeCallRefreshAllVisible() {
                            if (cameraConnected()) {
                                if (app.document.realtime.cameraModel)
                                    app.document.realtime.cameraModel.refreshAllVisible()
                            }
                        }

                        source: getSafeControllerQml()
                        onLoaded: {
                            controllerPopup.contentWidth = item.implicitWidth
                            controllerPopup.contentHeight = item.implicitHeight
                        }
                    }
                }

                EnhancementPopup {
                    id: imgEnhancePopup
                    objectName: "imgEnhancePopup"
                    x: app.toolbarHeight * 5.5 - width / 2
                    y: app.toolbarHeight
                    padding: 8
                    bottomPadding: 8
                    enhancement: app.documentExists() ? app.document.imageEnhancement : null
                    noDocumentScaleModes: []
                    noDocumentSharpnessIndex: -1
                    noDocumentShowsPlateau: true
                }

                GlyphButton {
                    objectName: "imgEnhanceButton"
                    size: app.toolbarHeight
                    enabled: app.document !== null
                    highlighted: imgEnhancePopup.visible
                    font.family: fontAwesome.name
                    text: "\uf1de"
                    onClicked: imgEnhancePopup.visible = true
                }

                GlyphButton {
                    objectName: "configButton"
                    size: app.toolbarHeight
                    enabled: app.document != null
                    highlighted: configPopup.visible
                    font.family: fontAwesome.name
                    text: "\uf0ad"
                    onClicked: configPopup.visible = true
                }

                ConfigPopup {
                    id: configPopup
                    objectName: "configPopup"
                    x: app.toolbarHeight * 6.5 - width / 2
                    y: app.toolbarHeight
                    width: 256
                    plainCaptions: true
                    frameInfo: app.documentExists() && app.document.frameInfo ? app.document.frameInfo : null
                    metadata: app.metadata
                    // The rate shown is the player's; the one typed goes to the live stream.
                    player: app.documentExists() && app.document.filePlayer ? app.document.filePlayer : null
                    rateTarget: app.documentExists() ? app.document.realtime : null
                    fastPlaySkipBy: app.fastPlaySkipBy
                    onFastPlaySkipByEdited: (skip) => app.fastPlaySkipBy = skip
                }

                TopBarButton {
                    objectName: "presetButton"
                    implicitWidth: app.toolbarHeight
                    implicitHeight: app.toolbarHeight
                    visible: app.documentExists() && (app.document.isSequencing || app.document.isSuperframing)
                    enabled: app.document !== null
                    highlighted: presetPopup.visible
                    text: presetPopup.activeText
                    onClicked: presetPopup.visible = true
                }

                PresetPopup {
                    id: presetPopup
                    objectName: "presetPopup"
                    x: app.toolbarHeight * 7.5 - width / 2
                    y: app.toolbarHeight
                    document: app.document
                }

                Minimap {
                    id: minimap
                    objectName: "minimap"
                    mainView: view
                    document: app.document
                    keepsLastImage: true
                }

                PlayBarButton {
                    objectName: "minimapButton"
                    implicitWidth: app.toolbarHeight
                    implicitHeight: app.toolbarHeight
                    enabled: app.document !== null
                    highlighted: minimap.visible
                    font.family: fontAwesome.name
                    font.pixelSize: 24
                    text: "\uf0ac"
                    onClicked: minimap.visible = !minimap.visible
                }

                PlayBarButton {
                    objectName: "badPixelButton"
                    implicitWidth: app.toolbarHeight
                    implicitHeight: app.toolbarHeight
                    visible: app.badPixelPickerModel.supported
                    highlighted: app.badPixelPickerModel.enabled
                    enabled: !app.badPixelPickerModel.busy
                    text: "BP"
                    onClicked: app.badPixelPickerModel.enabled = !app.badPixelPickerModel.enabled
                }

                GlyphButton {
                    id: measureButton
                    objectName: "measureButton"
                    size: app.toolbarHeight
                    enabled: app.document !== null
                    highlighted: measurePanel.visible
                    font.family: fontAwesome.name
                    text: "\uf05b"
                    onClicked: measurePanel.visible = !measurePanel.visible
                }

                MeasurementPanel {
                    id: measurePanel
                    objectName: "measurePanel"
                    x: Math.max(0, measureButton.x + measureButton.width - width)
                    y: app.toolbarHeight
                    document: app.documentExists() ? app.document : null
                    editor: view.regionEditor
                    folder: Labs.StandardPaths.writableLocation(Labs.StandardPaths.DocumentsLocation)
                }

                Item {
                    Layout.fillWidth: true
                }

                ChoiceBox {
                    objectName: "unitBox"
                    implicitWidth: 164
                    implicitHeight: app.toolbarHeight
                    model: app.documentExists() ? app.document.availableUnitStrings : null
                    currentIndex: app.documentExists() ? app.document.unitIndex : -1
                    onActivated: {
                        if (app.documentExists())
                            app.document.unitIndex = currentIndex
                    }
                }

                ChoiceBox {
                    objectName: "tempTypeBox"
                    implicitWidth: 64
                    implicitHeight: app.toolbarHeight
                    model: app.documentExists() ? app.document.tempTypeStrings : null
                    currentIndex: app.documentExists() ? app.document.tempTypeIndex : -1
                    onActivated: {
                        if (app.documentExists())
                            app.document.tempTypeIndex = currentIndex
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
                text: "No Camera Connected"
            }

            DocumentView {
                id: view
                objectName: "view"
                anchors.fill: parent
                document: app.document
                keepsLastImage: true
                visible: app.documentExists()
                regionEditor.selectsOnClick: !app.badPixelPickerModel.enabled
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
                document: app.documentExists() ? app.document : null
                paletteName: app.documentExists() ? app.backend.palettes.paletteNames[app.document.paletteIndex] : "Grayscale"
                shown: measurePanel.showColorBar && view.visible
            }

            SpotMeter {
                id: spotMeter
                objectName: "spotMeter"
                document: app.documentExists() ? app.document : null
            }

            HostCheckNotice {
                objectName: "hostCheckNotice"
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.bottom: parent.bottom
                anchors.margins: 8
                hostCheck: app.documentExists() && app.document.realtime ? app.document.realtime.hostCheck : null
            }
        }

        FrameInfoGrid {
            model: app.metadata.output
        }
    }
}
