import QtQuick
import QtQuick.Controls
import QtTest
import com.qelt.zelkir 1.0
import "qrc:/zelkcamui/controls"

TestCase {
    id: testCase
    name: "CameraFinderPopup"
    width: 600
    height: 600
    visible: true
    when: windowShown

    HalvoModel {
        id: backend
    }

    Component {
        id: popupComponent
        CameraFinderPopup {}
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    readonly property var finder: backend.cameraFinder

    function initTestCase() {
        // Scanning broadcasts: only among the simulated cameras of the private namespace.
        if (fakeCameraAddresses.length === 0)
            skip("needs scripts/with-fake-cameras.sh")
        finder.scan()
        tryCompare(finder, "scanning", false, 20000)
        compare(finder.cameras.size, fakeCameraAddresses.length)
    }

    function openPopup(configDir) {
        const popup = createTemporaryObject(popupComponent, testCase,
                                            { cameraFinder: finder, configDir: configDir })
        popup.open()
        tryCompare(popup, "opened", true)
        return popup
    }

    function part(popup, name) {
        const item = findChild(popup.contentItem, name)
        verify(item, name)
        return item
    }

    function connectSpy(popup) {
        return createTemporaryObject(spyComponent, testCase, { target: popup, signalName: "connect" })
    }

    function screenshot(popup, name) {
        if (screenshotDir === "")
            return
        wait(400) // the busy indicator fades in
        waitForRendering(popup.contentItem)
        grabImage(popup.contentItem.parent).save(screenshotDir + "/" + name + ".png")
    }

    function test_listsAndConnects() {
        const popup = openPopup(tempDir + "/nothing-remembered")
        const list = part(popup, "cameraList")
        compare(list.count, fakeCameraAddresses.length)
        verify(!part(popup, "rememberedCamera").visible)
        for (let i = 0; i < list.count; ++i) {
            tryVerify(function() { return list.itemAtIndex(i) !== null })
            const row = list.itemAtIndex(i)
            compare(row.info.address, fakeCameraAddresses[i])
            compare(row.info.serial, fakeCameraSerials[i])
            verify(row.info.model !== "" && row.info.macAddress !== "")
            compare(part(row, "details").text.indexOf(row.info.address), 0)
            verify(part(row, "identity").text.indexOf(row.info.serial) !== -1)
            verify(!part(row, "unreachable").visible)
        }
        screenshot(popup, "camerafinderpopup")

        const spy = connectSpy(popup)
        mouseClick(list.itemAtIndex(1))
        compare(spy.count, 1)
        compare(spy.signalArguments[0][0], finder.cameras.get(1))
    }

    function test_rememberedFirst() {
        verify(finder.cameras.get(2).save(tempDir + "/lastCamera.xml"))
        const popup = openPopup(tempDir)
        const remembered = part(popup, "rememberedCamera")
        verify(remembered.visible)
        compare(remembered.info.serial, fakeCameraSerials[2])
        verify(remembered.mapToItem(null, 0, 0).y < part(popup, "cameraList").mapToItem(null, 0, 0).y)

        const spy = connectSpy(popup)
        mouseClick(remembered)
        compare(spy.count, 1)
        compare(spy.signalArguments[0][0], popup.rememberedCamera)
        compare(spy.signalArguments[0][0].address, fakeCameraAddresses[2])
    }

    function test_unreachableWarns() {
        const dir = tempDir + "/far"
        verify(setup.writeFile(dir + "/lastCamera.xml", "<camera version=\"1\"><transport>GigE-Vision</transport>"
                               + "<model>KDR-2</model><serial>FAR01</serial><address>10.99.0.5</address></camera>"))
        const popup = openPopup(dir)
        const remembered = part(popup, "rememberedCamera")
        verify(remembered.visible)
        verify(!remembered.info.reachable)
        const warning = part(remembered, "unreachable")
        verify(warning.visible)
        compare(warning.text, "Not on a subnet of this computer; use Addrix to change its address.")
        screenshot(popup, "camerafinderpopup-unreachable")

        const spy = connectSpy(popup)
        mouseClick(remembered)
        compare(spy.count, 0)
    }

    function test_rescan() {
        const popup = openPopup("")
        const rescan = part(popup, "rescanButton")
        const indicator = part(popup, "scanIndicator")
        verify(rescan.enabled)
        verify(!indicator.running)
        mouseClick(rescan)
        verify(finder.scanning)
        verify(!rescan.enabled)
        verify(indicator.running)
        screenshot(popup, "camerafinderpopup-scanning")
        tryCompare(finder, "scanning", false, 20000)
        verify(rescan.enabled)
        compare(part(popup, "cameraList").count, fakeCameraAddresses.length)
    }
}
