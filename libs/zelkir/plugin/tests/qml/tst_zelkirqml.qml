import QtQuick
import QtTest
import com.qelt.zelkir 1.0

TestCase {
    id: testCase
    name: "ZelkirPlugin"
    width: 200
    height: 200
    visible: true
    when: windowShown

    property var document: null

    HalvoModel {
        id: backend
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    Component {
        id: filterComponent
        FrameInfoModelFilter {}
    }

    Component {
        id: imageComponent
        Image {}
    }

    Component {
        id: roiViewComponent
        RoiImageView {}
    }

    Component {
        id: imageViewComponent
        ImageView {}
    }

    Component {
        id: panelLoaderComponent
        Loader {
            property var cameraModel: null
        }
    }

    function initTestCase() {
        verify(samplesReady)
    }

    function openSample() {
        const doc = backend.createDocument(sampleUrl)
        verify(doc !== null)
        tryCompare(doc, "status", DocumentModel.Ready, 5000)
        tryVerify(function() { return doc.frameInfo.count > 0 }, 5000)
        return doc
    }

    function spyOn(target, signalName) {
        return createTemporaryObject(spyComponent, testCase, { target: target, signalName: signalName })
    }

    function cleanup() {
        if (document) {
            document.filePlayer.close()
            backend.deleteDocument(document)
            document = null
        }
    }

    function test_enumerations() {
        compare(DocumentModel.PRESET_ALL, -1)
        compare(DocumentModel.PRESET_0, 0)
        compare(DocumentModel.PRESET_7, 7)
        compare(DocumentModel.PRESET_SUPERFRAME, 8)
        const units = [DocumentModel.COUNTS, DocumentModel.RADIANCE_FACTORY, DocumentModel.RADIANCE_USER,
                       DocumentModel.TEMPERATURE_FACTORY, DocumentModel.TEMPERATURE_USER]
        for (let i = 0; i < units.length; ++i)
            compare(units.indexOf(units[i]), i)
        verify(ImageEnhancementModel.SCALE_LINEAR !== ImageEnhancementModel.SCALE_DDE)
        verify(ImageEnhancementModel.SCALE_PLATEAU !== ImageEnhancementModel.SCALE_DDE)
    }

    function test_backend() {
        verify(backend.palettes.paletteNames.indexOf("Grayscale") >= 0)
        verify(backend.palettes.paletteNames.indexOf("Ironbow") >= 0)
        verify(backend.configDir.length > 0)
    }

    function test_documentMembers() {
        document = openSample()
        compare(document.imageSize.width, sampleWidth)
        compare(document.imageSize.height, sampleHeight)
        compare(document.realtime, null)
        compare(document.rois.length, 0)
        compare(document.palettes, backend.palettes)
        compare(document.tempTypeStrings, ["\u00B0C", "\u00B0F", "K"])
        compare(document.availableUnitStrings[0], "Counts")
        verify(document.availableUnitStrings.length >= 3)
        compare(document.isSequencing, false)
        compare(document.activePreset, DocumentModel.PRESET_ALL)
        compare(document.filePlayer.frameCount, sampleFrames)
        compare(document.filePlayer.boundEnd, sampleFrames - 1)
        compare(document.filePlayer.readError, "")
    }

    function test_cursorValue() {
        document = openSample()
        document.cursorPos = Qt.point(3, 4)
        const counts = document.cursorValue
        verify(counts > 0)
        document.unitIndex = document.availableUnitStrings.indexOf("Temperature (factory)")
        compare(document.unit, DocumentModel.TEMPERATURE_FACTORY)
        document.tempTypeIndex = 2
        const kelvin = document.cursorValue
        document.tempTypeIndex = 0
        fuzzyCompare(document.cursorValue, kelvin - 273.15, 1e-9)
        document.cursorPos = Qt.point(-1, 0)
        verify(isNaN(document.cursorValue))
    }

    function test_paletteIndex() {
        document = openSample()
        const images = spyOn(document, "imageChanged")
        const names = document.palettes.paletteNames
        const before = document.image
        document.paletteIndex = names.indexOf("Ironbow")
        compare(document.paletteIndex, names.indexOf("Ironbow"))
        images.wait(5000)
        verify(document.image !== before)
        document.paletteIndex = names.length
        compare(document.paletteIndex, names.indexOf("Ironbow"))
    }

    function test_scaleMode_data() {
        return [
            { tag: "plateau", index: 1, mode: ImageEnhancementModel.SCALE_PLATEAU },
            { tag: "dde", index: 2, mode: ImageEnhancementModel.SCALE_DDE }
        ]
    }

    function test_scaleMode(data) {
        document = openSample()
        const enhancement = document.imageEnhancement
        compare(enhancement.availableScaleModeStrings.length, 3)
        compare(enhancement.scaleMode, ImageEnhancementModel.SCALE_LINEAR)
        const images = spyOn(document, "imageChanged")
        enhancement.scaleModeIndex = data.index
        compare(enhancement.scaleMode, data.mode)
        images.wait(5000)
        enhancement.plateauP = 1000
        compare(enhancement.plateauP, 200)
        enhancement.ddeSharpness = 0
        compare(enhancement.ddeSharpness, 1)
    }

    function test_frameNumber_data() {
        return [
            { tag: "number", value: 5, expected: 5 },
            { tag: "text", value: "7", expected: 7 },
            { tag: "beyond the end", value: 99999, expected: sampleFrames - 1 },
            { tag: "negative", value: -8, expected: 0 },
            { tag: "letters", value: "abc", expected: 3 },
            { tag: "empty", value: "", expected: 3 }
        ]
    }

    function test_frameNumber(data) {
        document = openSample()
        const player = document.filePlayer
        player.frameNumber = 3
        compare(player.frameNumber, 3)
        player.frameNumber = data.value
        compare(player.frameNumber, data.expected)
        tryVerify(function() { return document.frameInfo.value("Frame Number") === String(data.expected) }, 5000)
    }

    function test_playback() {
        document = openSample()
        const player = document.filePlayer
        player.targetDisplayRate = "100"
        compare(player.targetDisplayRate, 100)
        player.targetDisplayRate = "fast"
        compare(player.targetDisplayRate, 100)
        player.loopPlayback = true
        player.playSpeed = 1
        tryVerify(function() { return player.frameNumber >= 3 }, 5000)
        player.playSpeed = 0
        player.jumpToLast()
        compare(player.frameNumber, sampleFrames - 1)
        player.step(-1)
        compare(player.frameNumber, sampleFrames - 2)
        player.jumpToFirst()
        compare(player.frameNumber, 0)
        player.jumpTo(4)
        compare(player.frameNumber, 4)
    }

    function test_close() {
        const doc = openSample()
        const count = backend.documentCount
        doc.filePlayer.close()
        verify(doc.filePlayer.closed)
        compare(doc.status, DocumentModel.Closed)
        backend.deleteDocument(doc)
        compare(backend.documentCount, count - 1)
        // Deleting twice, or something that is no document, does nothing.
        backend.deleteDocument(doc)
        backend.deleteDocument(testCase)
        compare(backend.documentCount, count - 1)
    }

    function test_unreadableFile() {
        const doc = backend.createDocument(brokenUrl)
        verify(doc !== null)
        const failed = spyOn(doc, "openFailed")
        failed.wait(5000)
        compare(doc.status, DocumentModel.Failed)
        verify(doc.errorString.length > 0)
        doc.filePlayer.close()
        backend.deleteDocument(doc)
    }

    function test_frameInfoFilter() {
        document = openSample()
        const filter = createTemporaryObject(filterComponent, testCase, { input: document.frameInfo })
        filter.resetFilter()
        verify(filter.isInFilter("Mean"))
        verify(!filter.isInFilter("Size"))
        compare(filter.output.rowCount(), 5)
        const changes = spyOn(filter, "filterChanged")
        filter.addToFilter("Size")
        compare(changes.count, 1)
        compare(filter.output.rowCount(), 6)
        filter.selectAll()
        compare(filter.output.rowCount(), document.frameInfo.count)
        filter.unselectAll()
        compare(filter.output.rowCount(), 0)
    }

    function test_paletteImage_data() {
        return [
            { tag: "Grayscale", name: "Grayscale", status: Image.Ready },
            { tag: "Ironbow", name: "Ironbow", status: Image.Ready },
            { tag: "unknown", name: "NoSuchPalette", status: Image.Error }
        ]
    }

    function test_paletteImage(data) {
        if (data.status === Image.Error)
            ignoreWarning(new RegExp(".*NoSuchPalette.*"))
        const image = createTemporaryObject(imageComponent, testCase, { source: "image://palettes/" + data.name })
        tryCompare(image, "status", data.status)
        if (data.status === Image.Ready) {
            compare(image.sourceSize.width, 1)
            compare(image.sourceSize.height, 256)
        }
    }

    function test_views() {
        document = openSample()
        const roiView = createTemporaryObject(roiViewComponent, testCase,
                                              { width: 100, height: 100, image: document.image })
        verify(roiView)
        compare(roiView.zoom, 0)
        const imageView = createTemporaryObject(imageViewComponent, testCase,
                                                { width: 50, height: 50, image: document.image })
        verify(imageView)
    }

    // The camera player loads the panel from the library's resources, before a camera
    // model has features.
    function test_cameraPanel() {
        const loader = createTemporaryObject(panelLoaderComponent, testCase,
                                             { source: "qrc:/zelkcamui/panels/CameraController.qml" })
        compare(loader.status, Loader.Ready)
        verify(loader.item.implicitWidth > 0 && loader.item.implicitHeight > 0)
        compare(loader.item.features, null)
    }
}
