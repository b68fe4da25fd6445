import QtQuick
import QtTest
import com.qelt.zelkir 1.0

// A live document driven as a camera window drives it: found by the finder, connected,
// remembered, its control panel loaded once the camera says it is connected, disconnected.
TestCase {
    id: testCase
    name: "LiveDocument"
    width: 400
    height: 400
    visible: true
    when: windowShown

    HalvoModel {
        id: backend
    }

    Loader {
        id: panelLoader
        property var cameraModel: null
    }

    SignalSpy {
        id: failedSpy
        signalName: "connectFailed"
    }

    readonly property var finder: backend.cameraFinder

    function initTestCase() {
        if (fakeCameraAddresses.length === 0)
            skip("needs scripts/with-fake-cameras.sh")
        finder.scan()
        tryCompare(finder, "scanning", false, 20000)
        compare(finder.cameras.size, fakeCameraAddresses.length)
    }

    function connectTo(camera) {
        const document = backend.createDocument(camera)
        verify(document)
        verify(document.realtime)
        failedSpy.target = document.realtime
        failedSpy.clear()
        return document
    }

    function disconnectFrom(document) {
        document.realtime.disconnect()
        backend.deleteDocument(document)
        panelLoader.source = ""
        panelLoader.cameraModel = null
    }

    function test_connectRememberAndLoadPanel() {
        const camera = finder.cameras.get(0)
        const file = tempDir + "/lastCamera.xml"
        verify(camera.save(file))
        const remembered = finder.loadCameraInfo(file)
        compare(remembered.serial, camera.serial)

        const document = connectTo(remembered)
        compare(failedSpy.count, 0)
        // The rate field reads the player and writes the camera side: one object.
        compare(document.filePlayer, document.realtime)
        tryVerify(function() { return document.realtime.cameraModel !== null }, 10000)
        tryCompare(document.realtime.cameraModel, "connected", true, 10000)
        tryVerify(function() { return document.imageSize.width > 0 }, 10000)
        compare(document.imageSize, Qt.size(64, 48))
        tryVerify(function() { return document.frameInfo.value("Size") === "64 x 48" }, 5000,
                  "frame information: " + document.frameInfo.value("Size"))
        verify(document.availableUnitStrings.length > 1, "units from the camera's calibration")

        panelLoader.cameraModel = document.realtime.cameraModel
        panelLoader.source = "qrc:/" + document.realtime.controllerQml
        tryCompare(panelLoader, "status", Loader.Ready)
        verify(panelLoader.item.implicitWidth > 0 && panelLoader.item.implicitHeight > 0)
        tryVerify(function() { return document.realtime.cameraModel.features.ready }, 10000)

        disconnectFrom(document)
        compare(failedSpy.count, 0)
    }
}
