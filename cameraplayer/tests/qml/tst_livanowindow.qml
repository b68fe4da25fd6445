import QtQuick
import QtTest
import com.qelt.zelkir 1.0

// The Livano window among three simulated IR cameras of 64 x 48 pixels. The failure test
// kills cameras 1 and 2; every other test uses camera 0. Each test makes its own window,
// since the window reads the remembered camera when it is created.
TestCase {
    id: testCase
    name: "LivanoWindow"
    when: windowShown

    property var window: null
    readonly property var finder: backend.cameraFinder
    readonly property string lastCameraFile: backend.configDir + "/lastCamera.xml"

    // The cameras as the tests hand them to the window, and the files it writes read back.
    HalvoModel {
        id: backend
    }

    function initTestCase() {
        if (cameraSerials.length === 0)
            skip("needs scripts/with-fake-cameras.sh")
        finder.scan()
        tryCompare(finder, "scanning", false, 20000)
        compare(finder.cameras.size, 3)
    }

    function init() {
        // No sequence of user actions may leave a QML error or warning on the log.
        failOnWarning(/.?/)
        verify(setup.removeFile(lastCameraFile))
    }

    function cleanup() {
        if (window && window.document)
            window.doDisconnect()
        window = null
    }

    function camera(index) {
        return finder.cameras.find(cameraSerials[index])
    }

    function createWindow(properties) {
        const component = Qt.createComponent("qrc:/Livano.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = createTemporaryObject(component, testCase, properties || {})
        verify(window)
        tryVerify(function () { return window.contentItem.width > 0 })
        waitForRendering(window.contentItem)
    }

    // Elements by object name; popups and their contents are the window's children too.
    function find(name) {
        return findChild(window, name)
    }

    // As a pick in the camera finder popup.
    function connectTo(index) {
        find("cameraPopup").connect(camera(index))
        verify(window.document !== null)
    }

    function waitForFrames() {
        tryVerify(function () { return window.document.imageSize.width > 0 }, 10000)
        compare(window.document.imageSize, Qt.size(64, 48))
    }

    function verifyState(connected) {
        compare(window.document !== null, connected)
        compare(find("logo").visible, !connected)
        compare(find("view").visible, connected)
        compare(find("connectButton").enabled, !connected)
        compare(find("closeButton").enabled, connected)
    }

    function rememberedSerial() {
        const remembered = finder.loadCameraInfo(lastCameraFile)
        return remembered ? remembered.serial : ""
    }

    function test_connectAndDisconnect() {
        createWindow()
        verifyState(false)
        compare(find("logo").text, "No Camera Connected")
        const popup = find("cameraPopup")
        popup.open()
        tryCompare(popup, "opened", true)
        connectTo(0)
        verify(!popup.visible)
        verifyState(true)
        compare(rememberedSerial(), cameraSerials[0])
        compare(window.lastCamera.serial, cameraSerials[0])
        waitForFrames()

        mouseClick(find("closeButton"))
        verifyState(false)
        tryCompare(window.backend, "documentCount", 0)
        compare(rememberedSerial(), cameraSerials[0])

        // Picked again at once, while the camera is still being let go of.
        connectTo(0)
        waitForFrames()
        verify(!find("connectFailedDlg").visible)
    }

    function test_connectFailure_data() {
        return [
            { tag: "camera killed while connecting", camera: 1, streaming: false },
            { tag: "camera killed while streaming", camera: 2, streaming: true }
        ]
    }

    function test_connectFailure(data) {
        createWindow()
        connectTo(data.camera)
        if (data.streaming) {
            waitForFrames()
            // Fully connected: the bad-pixel list is in too (a slow build may still be
            // downloading it, and would rightly warn that it failed).
            tryVerify(function () { return window.badPixelPickerModel.supported }, 10000)
        }
        verify(setup.killCamera(data.camera))
        tryCompare(find("connectFailedDlg"), "opened", true, 30000)
        verifyState(false)
        tryCompare(window.backend, "documentCount", 0)
        // Remembered when the connection was made, before it failed.
        compare(rememberedSerial(), cameraSerials[data.camera])
        compare(window.lastCamera.serial, cameraSerials[data.camera])
    }

    function test_connectButton_data() {
        return [
            { tag: "no remembered camera", file: "", scans: true },
            { tag: "damaged file", file: "<camera", scans: true },
            { tag: "remembered camera", file: "camera 0", scans: false }
        ]
    }

    function test_connectButton(data) {
        if (data.file === "camera 0")
            verify(camera(0).save(lastCameraFile))
        else if (data.file !== "")
            verify(setup.writeFile(lastCameraFile, data.file))
        createWindow()
        const windowFinder = window.backend.cameraFinder
        const popup = find("cameraPopup")
        mouseClick(find("connectButton"))
        compare(windowFinder.scanning, data.scans)
        tryCompare(popup, "opened", true)
        if (!data.scans) {
            compare(windowFinder.cameras.size, 0)
            return
        }
        tryCompare(windowFinder, "scanning", false, 20000)
        compare(windowFinder.cameras.size, 3)
        popup.close()
        tryCompare(popup, "visible", false)
        // Once cameras are known, the button only shows them.
        mouseClick(find("connectButton"))
        verify(!windowFinder.scanning)
        tryCompare(popup, "opened", true)
    }

    function test_controllerPopup() {
        createWindow()
        const button = find("controllerButton")
        const popup = find("controllerPopup")
        const loader = find("controllerLoader")
        verify(!button.enabled)
        compare(loader.source.toString(), "")

        connectTo(0)
        tryCompare(loader, "status", Loader.Ready, 10000)
        verify(button.enabled)
        compare(loader.cameraModel, window.document.realtime.cameraModel)
        mouseClick(button)
        tryCompare(popup, "opened", true)
        verify(button.highlighted)
        const size = [loader.item.implicitWidth, loader.item.implicitHeight]
        verify(size[0] > 0 && size[1] > 0)
        compare([popup.contentWidth, popup.contentHeight], size)
        compare([popup.width, popup.height], size)
        // Sized once, when the panel is loaded.
        loader.item.implicitWidth += 40
        loader.item.implicitHeight += 40
        compare([popup.contentWidth, popup.contentHeight], size)

        // The camera let go of under the document: its model stays, no longer connected.
        window.document.realtime.disconnect()
        verify(!window.document.realtime.cameraModel.connected)
        compare(loader.source.toString(), "")
        tryCompare(loader, "item", null)
        verify(button.enabled)
        compare(loader.cameraModel, null)

        // Gone with the document, as on a lost camera: the popup keeps its place and size.
        window.doDisconnect()
        verify(!button.enabled)
        verify(popup.visible)
        compare([popup.width, popup.height], size)
    }

    function test_badPixelButton() {
        createWindow()
        const button = find("badPixelButton")
        const picker = window.badPixelPickerModel
        verify(!button.visible)
        connectTo(0)
        tryCompare(picker, "supported", true, 10000)
        verify(button.visible)
        tryCompare(button, "enabled", true, 10000)
        verify(!button.highlighted)
        mouseClick(button)
        verify(picker.enabled)
        verify(button.highlighted)
        mouseClick(button)
        verify(!picker.enabled)
        verify(!button.highlighted)
        tryCompare(button, "enabled", true, 10000)

        mouseClick(find("closeButton"))
        verify(!picker.supported)
        verify(!button.visible)
    }

    function test_badPixelFailure_data() {
        return [
            { tag: "download", signal: "bplDownloadFailed" },
            { tag: "upload", signal: "bplUploadFailed" }
        ]
    }

    function test_badPixelFailure(data) {
        createWindow()
        const dialog = find("downloadErrorDlg")
        window.badPixelPickerModel[data.signal]()
        tryCompare(dialog, "opened", true)
        compare(find("downloadErrorText").text, "Failed to download/upload bad pixel list.")
        mouseClick(find("downloadErrorOkButton"))
        tryCompare(dialog, "visible", false)
    }

    function test_zoomReset_data() {
        return [
            { tag: "without a camera", connected: false },
            { tag: "with a camera", connected: true }
        ]
    }

    function test_zoomReset(data) {
        createWindow()
        if (data.connected) {
            connectTo(0)
            waitForFrames()
        }
        const button = find("zoomResetButton")
        const view = find("view")
        compare(view.zoom, 0)
        verify(!button.enabled)
        view.zoom = 2
        verify(button.enabled)
        mouseClick(button)
        compare(view.zoom, 0)
        verify(!button.enabled)
    }

    function test_startupArgument_data() {
        return [
            { tag: "serial number", argument: cameraSerials[0].toLowerCase(), found: true },
            { tag: "address", argument: " " + cameraAddresses[0], found: true },
            { tag: "no such camera", argument: "FAKE0999", found: false }
        ]
    }

    function test_startupArgument(data) {
        if (!data.found)
            ignoreWarning(/no camera FAKE0999 found/)
        createWindow({ startupArgument: data.argument })
        if (!data.found) {
            tryCompare(find("connectFailedDlg"), "opened", true, 20000)
            verifyState(false)
            return
        }
        tryVerify(function () { return window.document !== null }, 20000)
        verifyState(true)
        compare(window.lastCamera.serial, cameraSerials[0])
        waitForFrames()
    }

    // The measurement panel on live frames: a region drawn on the image gets its figures
    // and frame-information rows, its recent history fills, and the file-only export is hidden.
    function test_measurementPanel() {
        createWindow()
        connectTo(0)
        waitForFrames()
        mouseClick(find("measureButton"))
        const panel = find("measurePanel")
        verify(panel.visible)
        // Items that repeaters make are reached through the visual tree alone.
        const inPanel = function (name) { return findChild(panel.contentItem, name) }
        const view = find("view")
        mouseClick(inPanel("regionTool:ellipse"))
        // The first frames reach the view before it has fitted them.
        tryVerify(function () { return view.actualZoom > 1 })
        // Right of the panel, which covers the left of the view.
        const a = view.mapFromImage(Qt.point(40, 10))
        const b = view.mapFromImage(Qt.point(60, 30))
        mousePress(view, a.x, a.y)
        mouseMove(view, b.x, b.y)
        mouseRelease(view, b.x, b.y)
        const regions = window.document.regions
        compare(regions.count, 1)
        tryVerify(function () { return window.document.frameInfo.value("Ellipse 1 Mean") !== "" }, 5000)
        tryVerify(function () { return window.document.regionSeries.points(0, "mean").length > 2 }, 5000)
        mouseClick(inPanel("measureTab:Export"))
        verify(!inPanel("exportMovieButton").visible)
        verify(inPanel("exportFitsButton").enabled)
        // Regions are kept per camera; the next test starts without them.
        regions.clear()
    }
}
