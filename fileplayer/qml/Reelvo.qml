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
    property int fastPlaySkipBy: 10
    property var metadata: FrameInfoModelFilter {
        input: window.document ? window.document.frameInfo : null
    }

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

    function spotValueText(value, unit) {
        if (unit === DocumentModel.RADIANCE_FACTORY || unit === DocumentModel.RADIANCE_USER)
            return value.toExponential(4)
        if (unit === DocumentModel.TEMPERATURE_FACTORY || unit === DocumentModel.TEMPERATURE_USER)
            return value.toFixed(2)
        return value.toFixed()
    }

    // Keeps the meter beside the pointer, flipped to the other side near the right and bottom edges.
    function placeSpotMeter() {
        const p = view.hoverPos
        if (p.x > view.width - (16 + spotMeter.width))
            spotMeter.x = p.x + view.x - (2 + spotMeter.width)
        else
            spotMeter.x = p.x + view.x + 16
        if (p.y > view.height - 48)
            spotMeter.y = p.y + view.y - (2 + spotMeter.height)
        else
            spotMeter.y = p.y + view.y + 16
    }

    // The pressed point of the minimap becomes the centre of what the view shows.
    function panFromMinimap(mx, my) {
        if (view.zoom === 0.0)
            return
        const w = window.document.imageSize.width * view.actualZoom
        const h = window.document.imageSize.height * view.actualZoom
        view.pan.x = ((mx - minimapIndicator.width / 2) / minimapView.width) * w
        view.pan.y = ((my - minimapIndicator.height / 2) / minimapView.height) * h
    }

    visible: true
    title: "Reelvo"
    minimumWidth: 640
    minimumHeight: 708
    // The first size is ours to choose; without a window manager nothing would grow the window.
    width: 1024
    height: 768

    // A file named on the command line opens at once, as if chosen in the dialog.
    Component.onCompleted: {
        const args = Qt.application.arguments
        if (args.length > 1)
            doOpen(args[args.length - 1])
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

        // The bars hold their rows edge to edge, so buttons sit exactly in their slots.
        ToolBar {
            implicitHeight: window.toolbarHeight
            Layout.fillWidth: true
            padding: 0
            horizontalPadding: 0

            RowLayout {
                anchors.fill: parent
                spacing: 0

                TopBarButton {
                    id: openButton
                    objectName: "openButton"
                    implicitWidth: window.toolbarHeight
                    implicitHeight: window.toolbarHeight
                    font.family: fontAwesome.name
                    font.pixelSize: 24
                    text: "\uf07b"
                    onClicked: fileDialog.open()
                }

                TopBarButton {
                    id: closeButton
                    objectName: "closeButton"
                    implicitWidth: window.toolbarHeight
                    implicitHeight: window.toolbarHeight
                    font.family: fontAwesome.name
                    font.pixelSize: 24
                    text: "\uf00d"
                    enabled: false
                    onClicked: window.doClose()
                }

                TopBarButton {
                    objectName: "zoomResetButton"
                    implicitWidth: window.toolbarHeight
                    implicitHeight: window.toolbarHeight
                    font.family: fontAwesome.name
                    font.pixelSize: 24
                    text: "\uf0b2"
                    enabled: view.zoom !== 0
                    onClicked: view.zoom = 0
                }

                TopBarButton {
                    objectName: "paletteButton"
                    implicitWidth: window.toolbarHeight
                    implicitHeight: window.toolbarHeight
                    highlighted: palettePopup.visible
                    enabled: window.document !== null
                    onClicked: palettePopup.visible = true

                    Rectangle {
                        anchors.centerIn: parent
                        width: 6
                        height: 24
                        color: "#FFFFFF"

                        Image {
                            objectName: "paletteButtonImage"
                            anchors.fill: parent
                            anchors.margins: 1
                            source: "image://palettes/" + (window.document
                                ? window.backend.palettes.paletteNames[window.document.paletteIndex] : "Grayscale")
                            sourceSize: Qt.size(1, 256)
                        }
                    }
                }

                Popup {
                    id: palettePopup
                    objectName: "palettePopup"
                    x: window.toolbarHeight * 3
                    y: window.toolbarHeight
                    width: 3 * 32 + 16
                    height: 4 * 32 + 16
                    padding: 8
                    visible: false
                    background: Rectangle {
                        color: "#2F2F37"
                    }

                    GridView {
                        id: paletteList
                        objectName: "paletteList"
                        anchors.fill: parent
                        cellWidth: 32
                        cellHeight: 32
                        model: window.document ? window.backend.palettes.paletteNames : null
                        currentIndex: window.document ? window.document.paletteIndex : -1

                        delegate: Item {
                            width: 32
                            height: 32

                            Rectangle {
                                anchors.centerIn: parent
                                width: 6
                                height: 24
                                color: "#FFFFFF"

                                Image {
                                    anchors.fill: parent
                                    anchors.margins: 1
                                    source: "image://palettes/" + modelData
                                    sourceSize: Qt.size(1, 256)
                                }
                            }

                            Rectangle {
                                objectName: "paletteSelection"
                                anchors.left: parent.left
                                anchors.right: parent.right
                                anchors.bottom: parent.bottom
                                height: 4
                                color: "#1780EC"
                                visible: paletteList.currentIndex === index
                            }

                            MouseArea {
                                anchors.fill: parent
                                onClicked: {
                                    palettePopup.visible = false
                                    if (window.document)
                                        window.document.paletteIndex = index
                                }
                            }
                        }
                    }
                }

                Popup {
                    id: imgEnhancePopup
                    objectName: "imgEnhancePopup"
                    x: window.toolbarHeight * 4.5 - width / 2
                    y: window.toolbarHeight
                    leftPadding: 8
                    rightPadding: 8
                    topPadding: 8
                    bottomPadding: 4
                    visible: false
                    background: Rectangle {
                        color: "#2F2F37"
                    }

                    ColumnLayout {
                        spacing: 4

                        ComboBox {
                            objectName: "scaleModeBox"
                            Layout.fillWidth: true
                            model: window.document ? window.document.imageEnhancement.availableScaleModeStrings : null
                            currentIndex: window.document ? window.document.imageEnhancement.scaleModeIndex : -1
                            onActivated: {
                                if (window.document)
                                    window.document.imageEnhancement.scaleModeIndex = currentIndex
                            }
                        }

                        RowLayout {
                            spacing: 4

                            Slider {
                                objectName: "linearSlider"
                                Layout.fillWidth: true
                                visible: window.document !== null
                                    && window.document.imageEnhancement.scaleMode === ImageEnhancementModel.SCALE_LINEAR
                                from: 0
                                to: 100
                                value: window.document ? window.document.imageEnhancement.linearIgnore : 0
                                onMoved: {
                                    if (window.document)
                                        window.document.imageEnhancement.linearIgnore = value
                                }
                            }

                            Slider {
                                objectName: "plateauSlider"
                                Layout.fillWidth: true
                                visible: window.document !== null
                                    && window.document.imageEnhancement.scaleMode !== ImageEnhancementModel.SCALE_LINEAR
                                from: 2
                                to: 200
                                value: window.document ? window.document.imageEnhancement.plateauP : 2
                                onMoved: {
                                    if (window.document)
                                        window.document.imageEnhancement.plateauP = value
                                }
                            }

                            ComboBox {
                                objectName: "sharpnessBox"
                                implicitWidth: 64
                                enabled: window.document !== null
                                    && window.document.imageEnhancement.scaleMode === ImageEnhancementModel.SCALE_DDE
                                model: ["1", "2", "3", "4", "5", "6", "7"]
                                currentIndex: window.document ? window.document.imageEnhancement.ddeSharpness - 1 : 0
                                onActivated: {
                                    if (window.document)
                                        window.document.imageEnhancement.ddeSharpness = currentIndex + 1
                                }
                            }
                        }
                    }
                }

                TopBarButton {
                    objectName: "imgEnhanceButton"
                    implicitWidth: window.toolbarHeight
                    implicitHeight: window.toolbarHeight
                    enabled: window.document !== null
                    highlighted: imgEnhancePopup.visible
                    font.family: fontAwesome.name
                    font.pixelSize: 24
                    text: "\uf1de"
                    onClicked: imgEnhancePopup.visible = true
                }

                TopBarButton {
                    objectName: "configButton"
                    implicitWidth: window.toolbarHeight
                    implicitHeight: window.toolbarHeight
                    enabled: window.document !== null
                    highlighted: configPopup.visible
                    font.family: fontAwesome.name
                    font.pixelSize: 24
                    text: "\uf0ad"
                    onClicked: configPopup.visible = true
                }

                Popup {
                    id: configPopup
                    objectName: "configPopup"
                    x: window.toolbarHeight * 5.5 - width / 2
                    y: window.toolbarHeight
                    width: 276
                    height: 348
                    padding: 8
                    visible: false
                    background: Rectangle {
                        color: "#2F2F37"
                    }

                    ColumnLayout {
                        anchors.fill: parent
                        spacing: 4

                        Label {
                            text: "Frame Info"
                        }

                        ListView {
                            id: frameInfoEnabledList
                            objectName: "frameInfoEnabledList"
                            Layout.fillWidth: true
                            Layout.fillHeight: true
                            model: window.document ? window.document.frameInfo : null
                            clip: true
                            ScrollIndicator.vertical: ScrollIndicator {}

                            delegate: Rectangle {
                                id: infoRow
                                property bool highlighted: false

                                // Marks follow clicks only; the buttons below rebuild the rows to re-read them.
                                function updateHighlight(value) {
                                    highlighted = value
                                    indicator.visible = value
                                }

                                objectName: "frameInfoRow:" + model.name
                                implicitHeight: 20
                                implicitWidth: frameInfoEnabledList.width
                                color: highlighted ? "#48484F" : "#3B3B43"
                                Component.onCompleted: updateHighlight(window.metadata.isInFilter(model.name))

                                Text {
                                    anchors.fill: parent
                                    text: model.name
                                    leftPadding: 8
                                    verticalAlignment: Text.AlignVCenter
                                    color: "#FAFAFA"
                                }

                                Rectangle {
                                    id: indicator
                                    anchors.left: parent.left
                                    anchors.top: parent.top
                                    anchors.bottom: parent.bottom
                                    width: 4
                                    color: "#1780EC"
                                }

                                MouseArea {
                                    anchors.fill: parent
                                    onClicked: {
                                        if (window.metadata.isInFilter(model.name)) {
                                            window.metadata.removeFromFilter(model.name)
                                            infoRow.updateHighlight(false)
                                        } else {
                                            window.metadata.addToFilter(model.name)
                                            infoRow.updateHighlight(true)
                                        }
                                    }
                                }
                            }
                        }

                        RowLayout {
                            Button {
                                objectName: "unselectAllButton"
                                implicitWidth: 100
                                // The label needs the width the style's padding would take.
                                horizontalPadding: 4
                                text: "Unselect All"
                                onClicked: {
                                    window.metadata.unselectAll()
                                    frameInfoEnabledList.model = null
                                    frameInfoEnabledList.model = Qt.binding(function () {
                                        return window.document ? window.document.frameInfo : null
                                    })
                                }
                            }

                            Item {
                                Layout.fillWidth: true
                            }

                            Button {
                                objectName: "selectAllButton"
                                implicitWidth: 100
                                // The label needs the width the style's padding would take.
                                horizontalPadding: 4
                                text: "Select All"
                                onClicked: {
                                    window.metadata.selectAll()
                                    frameInfoEnabledList.model = null
                                    frameInfoEnabledList.model = Qt.binding(function () {
                                        return window.document ? window.document.frameInfo : null
                                    })
                                }
                            }
                        }

                        Label {
                            text: "Selected ittems will be displayed in the\nframe info grid under the image."
                        }

                        RowLayout {
                            Label {
                                Layout.fillWidth: true
                                text: "Target display rate:"
                                verticalAlignment: Text.AlignVCenter
                            }

                            TextField {
                                objectName: "rateField"
                                implicitWidth: 80
                                selectByMouse: true
                                text: window.document ? Number(window.document.filePlayer.targetDisplayRate).toFixed(1) : ""
                                onEditingFinished: {
                                    if (window.document)
                                        window.document.filePlayer.targetDisplayRate = text
                                }
                            }
                        }

                        RowLayout {
                            Label {
                                Layout.fillWidth: true
                                text: "Fast forward skip by:"
                                verticalAlignment: Text.AlignVCenter
                            }

                            TextField {
                                objectName: "skipField"
                                implicitWidth: 80
                                selectByMouse: true
                                text: window.fastPlaySkipBy
                                validator: IntValidator {
                                    bottom: 2
                                }
                                // A running fast play takes the new skip at once, in its own direction.
                                onEditingFinished: {
                                    const player = window.document ? window.document.filePlayer : null
                                    const skip = parseInt(text, 10)
                                    if (player && player.playSpeed === window.fastPlaySkipBy) {
                                        window.fastPlaySkipBy = skip
                                        player.playSpeed = window.fastPlaySkipBy
                                    } else if (player && player.playSpeed === -window.fastPlaySkipBy) {
                                        window.fastPlaySkipBy = skip
                                        player.playSpeed = -window.fastPlaySkipBy
                                    } else {
                                        window.fastPlaySkipBy = skip
                                    }
                                }
                            }
                        }
                    }
                }

                TopBarButton {
                    objectName: "presetButton"
                    implicitWidth: window.toolbarHeight
                    implicitHeight: window.toolbarHeight
                    visible: window.document !== null && (window.document.isSequencing || window.document.isSuperframing)
                    enabled: window.document !== null
                    highlighted: presetPopup.visible
                    text: !window.document ? ""
                        : window.document.activePreset === DocumentModel.PRESET_ALL ? "A"
                        : window.document.activePreset === DocumentModel.PRESET_SUPERFRAME ? "SF"
                        : "" + window.document.activePreset
                    onClicked: presetPopup.visible = true
                }

                Popup {
                    id: presetPopup
                    objectName: "presetPopup"
                    x: window.toolbarHeight * 6.5 - width / 2
                    y: window.toolbarHeight
                    padding: 0
                    visible: false
                    background: Rectangle {
                        color: "#2F2F37"
                    }

                    RowLayout {
                        spacing: 0

                        Repeater {
                            model: [DocumentModel.PRESET_ALL, DocumentModel.PRESET_0, DocumentModel.PRESET_1,
                                DocumentModel.PRESET_2, DocumentModel.PRESET_3, DocumentModel.PRESET_4,
                                DocumentModel.PRESET_5, DocumentModel.PRESET_6, DocumentModel.PRESET_7,
                                DocumentModel.PRESET_SUPERFRAME]

                            Button {
                                readonly property int preset: modelData

                                objectName: "presetButton:" + text
                                implicitWidth: 40
                                implicitHeight: 40
                                // "SF" needs more of the 40 pixels than the style's padding leaves.
                                horizontalPadding: 4
                                text: preset === DocumentModel.PRESET_ALL ? "A"
                                    : preset === DocumentModel.PRESET_SUPERFRAME ? "SF" : "" + preset
                                enabled: window.document !== null
                                    && (preset === DocumentModel.PRESET_ALL ? window.document.isSequencing
                                        : preset === DocumentModel.PRESET_SUPERFRAME ? window.document.isSuperframing
                                        : window.document.isSequencing && (window.document.availablePresets & (1 << preset)) !== 0)
                                highlighted: window.document !== null && window.document.activePreset === preset
                                onClicked: {
                                    if (window.document)
                                        window.document.activePreset = preset
                                }
                            }
                        }
                    }
                }

                Window {
                    id: minimap
                    objectName: "minimap"
                    visible: false
                    flags: Qt.Tool
                    title: "Minimap"
                    minimumWidth: 160
                    minimumHeight: 128
                    // The first size is ours: the default movie's aspect at the minimum height and a half.
                    width: 240
                    height: 192

                    ImageView {
                        id: minimapView
                        objectName: "minimapView"
                        anchors.fill: parent
                        preserveAspectRatio: false
                    }

                    Binding {
                        target: minimapView
                        property: "image"
                        value: window.document ? window.document.image : null
                        when: window.document !== null
                    }

                    Rectangle {
                        id: minimapIndicator
                        objectName: "minimapIndicator"
                        visible: view.zoom !== 0.0
                        color: "transparent"
                        border.color: "#36B051"
                        border.width: 1
                        x: window.document ? view.pan.x / (window.document.imageSize.width * view.actualZoom) * minimapView.width : 0
                        y: window.document ? view.pan.y / (window.document.imageSize.height * view.actualZoom) * minimapView.height : 0
                        width: window.document ? view.width / (window.document.imageSize.width * view.actualZoom) * minimapView.width : 0
                        height: window.document ? view.height / (window.document.imageSize.height * view.actualZoom) * minimapView.height : 0
                    }

                    MouseArea {
                        objectName: "minimapMouseArea"
                        anchors.fill: parent
                        onPressed: (mouse) => window.panFromMinimap(mouse.x, mouse.y)
                        onPositionChanged: (mouse) => window.panFromMinimap(mouse.x, mouse.y)
                    }
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

                Item {
                    Layout.fillWidth: true
                    height: window.toolbarHeight
                }

                ComboBox {
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

                ComboBox {
                    objectName: "tempTypeBox"
                    implicitWidth: 64
                    // The narrow box keeps most of its width for the text.
                    padding: 2
                    horizontalPadding: 2
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

            RoiImageView {
                id: view
                objectName: "view"
                anchors.fill: parent
                visible: false
                rois: window.document ? window.document.rois : null
                onCursorPosChanged: {
                    if (window.document)
                        window.document.cursorPos = view.cursorPos
                }
                onHoverPosChanged: window.placeSpotMeter()
                onEntered: spotMeter.visible = true
                onExited: spotMeter.visible = false
            }

            Binding {
                target: view
                property: "image"
                value: window.document ? window.document.image : null
                when: window.document !== null
            }

            Popup {
                id: spotMeter
                objectName: "spotMeter"
                visible: false
                padding: 8
                closePolicy: Popup.NoAutoClose
                background: Rectangle {
                    color: "#3B3B43"
                }

                Text {
                    objectName: "spotMeterText"
                    text: window.document ? "(" + window.document.cursorPos.x + ", " + window.document.cursorPos.y + ") "
                        + window.spotValueText(window.document.cursorValue, window.document.unit) : ""
                }
            }
        }

        ToolBar {
            Layout.fillWidth: true
            implicitHeight: 28
            padding: 0
            horizontalPadding: 0

            RowLayout {
                anchors.fill: parent
                spacing: 0

                PlayBarButton {
                    objectName: "firstFrameButton"
                    implicitWidth: 28
                    implicitHeight: 28
                    padding: 0
                    horizontalPadding: 0
                    font.family: fontAwesome.name
                    font.pixelSize: 16
                    text: "\uf049"
                    onClicked: {
                        if (window.document)
                            window.document.filePlayer.jumpToFirst()
                    }
                }

                PlayBarButton {
                    objectName: "fastBackwardsButton"
                    implicitWidth: 28
                    implicitHeight: 28
                    padding: 0
                    horizontalPadding: 0
                    font.family: fontAwesome.name
                    font.pixelSize: 16
                    text: "\uf04a"
                    highlighted: window.document !== null && window.document.filePlayer.playSpeed === -window.fastPlaySkipBy
                    onClicked: {
                        if (window.document)
                            window.document.filePlayer.playSpeed = -window.fastPlaySkipBy
                    }
                }

                PlayBarButton {
                    objectName: "backwardsButton"
                    implicitWidth: 28
                    implicitHeight: 28
                    padding: 0
                    horizontalPadding: 0
                    font.family: fontAwesome.name
                    font.pixelSize: 20
                    text: "\uf0d9"
                    highlighted: window.document !== null && window.document.filePlayer.playSpeed === -1
                    onClicked: {
                        if (window.document)
                            window.document.filePlayer.playSpeed = -1
                    }
                }

                PlayBarButton {
                    objectName: "stopButton"
                    implicitWidth: 28
                    implicitHeight: 28
                    padding: 0
                    horizontalPadding: 0
                    font.family: fontAwesome.name
                    font.pixelSize: 16
                    text: "\uf04d"
                    highlighted: window.document !== null && window.document.filePlayer.playSpeed === 0
                    onClicked: {
                        if (window.document)
                            window.document.filePlayer.playSpeed = 0
                    }
                }

                PlayBarButton {
                    objectName: "playButton"
                    implicitWidth: 28
                    implicitHeight: 28
                    padding: 0
                    horizontalPadding: 0
                    font.family: fontAwesome.name
                    font.pixelSize: 20
                    text: "\uf0da"
                    highlighted: window.document !== null && window.document.filePlayer.playSpeed === 1
                    onClicked: {
                        if (window.document)
                            window.document.filePlayer.playSpeed = 1
                    }
                }

                PlayBarButton {
                    objectName: "fastForwardsButton"
                    implicitWidth: 28
                    implicitHeight: 28
                    padding: 0
                    horizontalPadding: 0
                    font.family: fontAwesome.name
                    font.pixelSize: 16
                    text: "\uf04e"
                    highlighted: window.document !== null && window.document.filePlayer.playSpeed === window.fastPlaySkipBy
                    onClicked: {
                        if (window.document)
                            window.document.filePlayer.playSpeed = window.fastPlaySkipBy
                    }
                }

                PlayBarButton {
                    objectName: "lastFrameButton"
                    implicitWidth: 28
                    implicitHeight: 28
                    padding: 0
                    horizontalPadding: 0
                    font.family: fontAwesome.name
                    font.pixelSize: 16
                    text: "\uf050"
                    onClicked: {
                        if (window.document)
                            window.document.filePlayer.jumpToLast()
                    }
                }

                Item {
                    implicitWidth: 4
                }

                PlayBarButton {
                    objectName: "loopButton"
                    implicitWidth: 28
                    implicitHeight: 28
                    padding: 0
                    horizontalPadding: 0
                    font.family: fontAwesome.name
                    font.pixelSize: 16
                    text: "\uf01e"
                    highlighted: window.document !== null && window.document.filePlayer.loopPlayback
                    onClicked: {
                        if (window.document)
                            window.document.filePlayer.loopPlayback = !window.document.filePlayer.loopPlayback
                    }
                }

                Item {
                    Layout.fillWidth: true
                }

                TextField {
                    objectName: "frameNumberField"
                    implicitWidth: 80
                    implicitHeight: 28
                    selectByMouse: true
                    text: window.document ? window.document.filePlayer.frameNumber : ""
                    onEditingFinished: {
                        if (window.document)
                            window.document.filePlayer.frameNumber = text
                    }
                }
            }
        }

        ToolBar {
            Layout.fillWidth: true
            implicitHeight: 28
            padding: 0
            horizontalPadding: 0

            RowLayout {
                anchors.fill: parent
                spacing: 0

                PlayBarButton {
                    objectName: "stepBackButton"
                    implicitWidth: 28
                    implicitHeight: 28
                    padding: 0
                    horizontalPadding: 0
                    font.family: fontAwesome.name
                    font.pixelSize: 16
                    text: "\uf048"
                    onClicked: {
                        if (window.document)
                            window.document.filePlayer.step(-1)
                    }
                }

                Slider {
                    objectName: "positionSlider"
                    implicitHeight: 28
                    Layout.fillWidth: true
                    from: window.document ? window.document.filePlayer.boundStart : 0
                    to: window.document ? window.document.filePlayer.boundEnd : 0
                    stepSize: 1
                    snapMode: Slider.SnapAlways
                    value: window.document ? window.document.filePlayer.frameNumber : 0
                    onMoved: {
                        if (window.document)
                            window.document.filePlayer.jumpTo(value)
                    }
                }

                PlayBarButton {
                    objectName: "stepOnButton"
                    implicitWidth: 28
                    implicitHeight: 28
                    padding: 0
                    horizontalPadding: 0
                    font.family: fontAwesome.name
                    font.pixelSize: 16
                    text: "\uf051"
                    onClicked: {
                        if (window.document)
                            window.document.filePlayer.step(1)
                    }
                }
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 100
            color: "#48484F"

            GridView {
                id: frameInfoGrid
                objectName: "frameInfoGrid"
                anchors.fill: parent
                model: window.metadata.output
                cellHeight: 20
                cellWidth: width / Math.floor(width / 296)
                clip: true
                ScrollIndicator.vertical: ScrollIndicator {}

                delegate: Item {
                    width: frameInfoGrid.cellWidth
                    height: 20

                    Rectangle {
                        anchors.left: parent.left
                        anchors.top: parent.top
                        anchors.bottom: parent.bottom
                        width: parent.width / 2
                        color: "#2F2F37"

                        Text {
                            anchors.fill: parent
                            text: model.name
                            leftPadding: 4
                            verticalAlignment: Text.AlignVCenter
                            color: "#FAFAFA"
                        }
                    }

                    Rectangle {
                        anchors.right: parent.right
                        anchors.top: parent.top
                        anchors.bottom: parent.bottom
                        width: parent.width / 2
                        color: "#48484F"

                        Text {
                            anchors.fill: parent
                            text: model.value
                            leftPadding: 4
                            verticalAlignment: Text.AlignVCenter
                            color: "#FAFAFA"
                        }
                    }
                }
            }
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
