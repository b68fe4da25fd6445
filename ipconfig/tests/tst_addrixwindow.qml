import QtQuick
import QtTest
import Addrix.Testing 1.0

TestCase {
    id: testCase
    name: "AddrixWindow"
    when: windowShown

    property var window: null

    Component {
        id: windowComponent
        Loader {
            source: addrixDocument
        }
    }

    function child(name) {
        var found = findChild(window.contentItem, name)
        if (!found)
            found = findChild(window, name)
        verify(found, "no element " + name)
        return found
    }

    function openWindow() {
        var loader = createTemporaryObject(windowComponent, testCase)
        tryVerify(function() { return loader.status === Loader.Ready }, 5000)
        window = loader.item
        verify(window)
        tryCompare(window.backend, "scanning", false, 5000)
        return window
    }

    function typeInto(field, text) {
        window.requestActivate()
        field.forceActiveFocus()
        field.selectAll()
        keyClick(Qt.Key_Delete)
        for (var i = 0; i < text.length; ++i)
            keyClick(text.charAt(i))
    }

    function init() {
        FakeCameras.reset()
        FakeCameras.addCamera("Camera A (A1)", "192.168.1.100", "192.168.1.10", "255.255.255.0", "192.168.1.1", false)
        FakeCameras.addCamera("Camera B (B2)", "192.168.1.101", "10.1.2.3", "255.0.0.0", "10.0.0.1", true)
    }

    function cleanup() {
        FakeCameras.setGateClosed(false)
        if (window) {
            tryVerify(function() { return !window.backend.scanning && !window.backend.applying }, 5000)
            window.close()
        }
        window = null
    }

    function test_listShowsScannedCamerasAndFollowsClicks() {
        openWindow()
        var list = child("cameraList")
        compare(list.count, 2)
        compare(list.currentIndex, 0)
        compare(child("currentIpField").text, "192.168.1.100")

        mouseClick(list.itemAtIndex(1))
        compare(window.backend.selectedCamera, 1)
        compare(child("currentIpField").text, "192.168.1.101")
        // The highlight glides to the new row.
        tryCompare(list.highlightItem, "y", list.itemAtIndex(1).y)
    }

    function test_enabledStatesFollowDhcpChoice() {
        openWindow()
        var address = child("ipAddressField")
        var fixed = child("fixedRadio")
        var dhcp = child("dhcpRadio")
        verify(fixed.checked)
        verify(address.enabled)
        verify(child("applyButton").enabled)

        mouseClick(dhcp)
        verify(window.backend.dhcpEnabled)
        verify(!fixed.checked)
        verify(!address.enabled)
        verify(!child("subnetMaskField").enabled)
        verify(dhcp.enabled)

        // Clicking the chosen button again changes nothing.
        mouseClick(dhcp)
        verify(window.backend.dhcpEnabled)
        mouseClick(fixed)
        verify(!window.backend.dhcpEnabled)
        verify(address.enabled)
    }

    function test_nothingButListAndRescanWithoutCameras() {
        FakeCameras.reset()
        openWindow()
        compare(window.backend.selectedCamera, -1)
        verify(child("rescanButton").enabled)
        verify(!child("dhcpRadio").enabled)
        verify(!child("currentIpField").enabled)
        verify(!child("ipAddressField").enabled)
        verify(!child("applyButton").enabled)
    }

    function test_closeRefusedWhileScanning() {
        openWindow()
        var rescan = child("rescanButton")
        FakeCameras.setGateClosed(true)
        mouseClick(rescan)
        verify(window.backend.scanning)
        compare(rescan.text, "Scanning...")
        verify(!rescan.enabled)
        verify(!child("applyButton").enabled)
        verify(!child("dhcpRadio").enabled)

        window.close()
        verify(window.visible)
        verify(!child("recommendedSubnetDlg").visible)
        verify(!child("applyFailedErrorDlg").visible)

        FakeCameras.setGateClosed(false)
        tryCompare(window.backend, "scanning", false, 5000)
        compare(rescan.text, "Rescan")
        window.close()
        verify(!window.visible)
    }

    function test_closeRefusedWhileApplying() {
        openWindow()
        mouseClick(child("dhcpRadio"))
        FakeCameras.setGateClosed(true)
        var apply = child("applyButton")
        mouseClick(apply)
        verify(window.backend.applying)
        compare(apply.text, "Applying...")
        verify(!child("rescanButton").enabled)
        window.close()
        verify(window.visible)
        FakeCameras.setGateClosed(false)
        tryCompare(window.backend, "applying", false, 5000)
        compare(apply.text, "Apply")
    }

    function test_dhcpAppliesWithoutAsking() {
        openWindow()
        mouseClick(child("dhcpRadio"))
        FakeCameras.clearLog()
        mouseClick(child("applyButton"))
        verify(!child("recommendedSubnetDlg").opened)
        tryCompare(window.backend, "applying", false, 5000)
        compare(FakeCameras.writes()[0], "set GevCurrentIPConfigurationDHCP 1")
    }

    function test_matchingMaskAppliesAtOnce() {
        openWindow()
        window.backend.subnetMask = window.backend.recommendedSubnetMask
        verify(window.backend.subnetMask !== "")
        FakeCameras.clearLog()
        mouseClick(child("applyButton"))
        verify(!child("recommendedSubnetDlg").opened)
        tryCompare(window.backend, "applying", false, 5000)
        compare(FakeCameras.address("Camera A (A1)", "GevPersistentSubnetMask"), window.backend.recommendedSubnetMask)
    }

    function test_subnetQuestion_data() {
        return [
            { tag: "Yes", button: "yesButton", applied: true, recommended: true },
            { tag: "No", button: "noButton", applied: true, recommended: false },
            { tag: "Cancel", button: "cancelButton", applied: false, recommended: false }
        ]
    }

    function test_subnetQuestion(data) {
        openWindow()
        var mask = "255.255.255.252"
        window.backend.subnetMask = mask
        var recommended = window.backend.recommendedSubnetMask
        verify(recommended !== mask)
        FakeCameras.clearLog()

        mouseClick(child("applyButton"))
        var dialog = child("recommendedSubnetDlg")
        tryCompare(dialog, "opened", true)
        var text = child("recommendedSubnetText").text
        compare(text.split(mask).length - 1, 1)
        compare(text.split(recommended).length - 1, 2)
        verify(text.indexOf("\n\nDo you want to use the recommended subnet mask") > 0)
        compare(FakeCameras.writes().length, 0)

        mouseClick(child(data.button))
        tryCompare(dialog, "visible", false)
        tryCompare(window.backend, "applying", false, 5000)
        if (data.applied) {
            tryVerify(function() { return FakeCameras.writes().length === 5 }, 5000)
            compare(FakeCameras.address("Camera A (A1)", "GevPersistentSubnetMask"),
                    data.recommended ? recommended : mask)
        } else {
            wait(50)
            compare(FakeCameras.writes().length, 0)
        }
        compare(window.backend.subnetMask, data.recommended ? recommended : mask)
    }

    function test_failedApplyShowsErrorAfterControlsReturn() {
        openWindow()
        mouseClick(child("dhcpRadio"))
        FakeCameras.setCameraOpens("Camera A (A1)", false)
        mouseClick(child("applyButton"))
        var dialog = child("applyFailedErrorDlg")
        tryCompare(dialog, "opened", true, 5000)
        verify(!window.backend.applying)
        verify(child("rescanButton").enabled)
        compare(dialog.title, "Error")
        dialog.close()
    }

    function test_typedTextIsStoredAndValidated_data() {
        return [
            { tag: "valid", text: "192.168.1.77", valid: true },
            { tag: "empty", text: "", valid: false },
            { tag: "three octets", text: "192.168.1", valid: false },
            { tag: "letters", text: "abc.def.ghi.jkl", valid: false },
            { tag: "over-long", text: "1234567890123456789012345678901234567890.1.1.1", valid: false }
        ]
    }

    function test_typedTextIsStoredAndValidated(data) {
        openWindow()
        var field = child("ipAddressField")
        typeInto(field, data.text)
        compare(window.backend.ipAddress, data.text)
        compare(child("applyButton").enabled, data.valid)
    }
}
