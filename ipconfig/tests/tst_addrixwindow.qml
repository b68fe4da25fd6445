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
        // The link lines under the entries settle once the list has laid them out.
        waitForItemPolished(child("cameraList"))
        return window
    }

    // An element of the first entry of the list of cameras that cannot be configured.
    function entryChild(name) {
        var entry = child("unconfigurableList").itemAt(0)
        verify(entry, "no entry")
        waitForItemPolished(entry)
        var found = findChild(entry, name)
        verify(found, "no element " + name)
        return found
    }

    function typeInto(field, text) {
        window.requestActivate()
        field.forceActiveFocus()
        field.selectAll()
        keyClick(Qt.Key_Delete)
        for (var i = 0; i < text.length; ++i)
            keyClick(text.charAt(i))
    }

    // The host's interface the cameras answer on, and a camera's own details.
    function onLan(macAddress, extra) {
        var details = { hostInterface: "eth0", interfaceAddress: "192.168.1.5", interfaceMask: "255.255.255.0",
                        macAddress: macAddress }
        for (var key in extra)
            details[key] = extra[key]
        return details
    }

    function addUnreachableCamera(extra) {
        FakeCameras.addCamera("Camera C (C3)", "10.0.0.7", "10.0.0.7", "255.0.0.0", "0.0.0.0", false,
                              onLan("00:11:22:33:44:0c", extra))
    }

    function init() {
        failOnWarning(/.?/)
        FakeCameras.reset()
        FakeCameras.addCamera("Camera A (A1)", "192.168.1.100", "192.168.1.10", "255.255.255.0", "192.168.1.1", false,
                              onLan("00:11:22:33:44:0a"))
        FakeCameras.addCamera("Camera B (B2)", "192.168.1.101", "10.1.2.3", "255.0.0.0", "10.0.0.1", true,
                              onLan("00:11:22:33:44:0b"))
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
        verify(!child("unconfigurableLink").visible)
        verify(child("detailsLink").visible)

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
        verify(!child("detailsLink").visible)
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
        // Wider than recommended, yet still holding the camera's gateway.
        var mask = "255.255.0.0"
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

    function test_unconfigurableCameraListedApart_data() {
        return [
            { tag: "unreachable", extra: {}, canForce: true },
            { tag: "controlled", extra: { interfaceAddress: "10.0.0.1", interfaceMask: "255.0.0.0",
                                          openFailure: "ControlledElsewhere" }, canForce: false }
        ]
    }

    function test_unconfigurableCameraListedApart(data) {
        addUnreachableCamera(data.extra)
        openWindow()
        compare(child("cameraList").count, 2)
        var link = child("unconfigurableLink")
        verify(link.visible)
        compare(link.text, "1 more camera cannot be configured")

        mouseClick(link)
        var dialog = child("unconfigurableDlg")
        tryCompare(dialog, "opened", true)
        compare(child("unconfigurableList").count, 1)
        var camera = window.backend.unconfigurableCameras[0]
        compare(entryChild("unconfigurableName").text, camera.displayName)
        compare(entryChild("unconfigurableReason").text, camera.reason)
        var shown = entryChild("unconfigurableDetails").text
        for (var key of ["macAddress", "address", "hostInterface", "hostSubnet"])
            verify(camera[key] !== "" && shown.indexOf(camera[key]) !== -1, key + " not shown: " + shown)
        compare(entryChild("forceIpButton").visible, data.canForce)
        dialog.close()
    }

    function test_forceIp_data() {
        return [
            { tag: "acknowledged", answers: true },
            { tag: "no acknowledgement", answers: false }
        ]
    }

    function test_forceIp(data) {
        addUnreachableCamera({ answersForceIp: data.answers })
        openWindow()
        mouseClick(child("unconfigurableLink"))
        tryCompare(child("unconfigurableDlg"), "opened", true)
        mouseClick(entryChild("forceIpButton"))
        var dialog = child("forceIpDlg")
        tryCompare(dialog, "opened", true)
        verify(child("forceIpExplanation").text.indexOf("Camera C (C3)") !== -1)
        var proposed = window.backend.proposeForceIpAddress(0)
        verify(proposed !== "")
        compare(child("forceIpAddressField").text, proposed)
        compare(child("forceIpMaskField").text, "255.255.255.0")
        compare(child("forceIpGatewayField").text, "0.0.0.0")

        typeInto(child("forceIpAddressField"), "192.168.1.77")
        FakeCameras.clearLog()
        mouseClick(child("sendButton"))
        tryVerify(function() { return !window.backend.forcing }, 5000)
        compare(FakeCameras.forcedAddresses(), ["forceip Camera C (C3) 192.168.1.77 255.255.255.0 0.0.0.0"])
        if (data.answers) {
            tryCompare(dialog, "visible", false, 5000)
            verify(!child("unconfigurableDlg").visible)
            tryCompare(window.backend, "scanning", false, 5000)
            // The rescued camera is listed and selected, ready for a lasting configuration.
            compare(child("cameraList").count, 3)
            compare(window.backend.cameras[window.backend.selectedCamera], "Camera C (C3)")
            compare(child("currentIpField").text, "192.168.1.77")
            verify(!child("unconfigurableLink").visible)
        } else {
            tryCompare(child("forceIpError"), "text", "The camera did not answer.", 5000)
            verify(child("forceIpError").visible)
            verify(dialog.opened)
            verify(child("sendButton").enabled)
            dialog.close()
        }
    }

    function test_detailsOfSelectedCamera_data() {
        return [
            { tag: "link", doubleClick: false },
            { tag: "double click", doubleClick: true }
        ]
    }

    function test_detailsOfSelectedCamera(data) {
        openWindow()
        var list = child("cameraList")
        if (data.doubleClick)
            mouseDoubleClickSequence(list.itemAtIndex(1))
        else {
            mouseClick(list.itemAtIndex(1))
            mouseClick(child("detailsLink"))
        }
        var dialog = child("detailsDlg")
        tryCompare(dialog, "opened", true)
        compare(window.backend.selectedCamera, 1)
        compare(dialog.title, "Details of Camera B (B2)")
        compare(child("detailsMac").text, "00:11:22:33:44:0b")
        compare(child("detailsAddress").text, "192.168.1.101")
        compare(child("detailsInterface").text, "eth0 (192.168.1.0/24)")
        compare(child("detailsNote").text, "Persistent settings take effect when the camera restarts.")
        verify(!child("applyOutcomeText").parent.visible)
        dialog.close()
    }

    function test_failedApplyShowsWhatTheCameraHolds() {
        openWindow()
        // The flags are written, then the camera stops answering.
        FakeCameras.failWrites("Camera A (A1)", "GevPersistentIPAddress")
        ignoreWarning(/apply to Camera A \(A1\) failed/)
        mouseClick(child("dhcpRadio"))
        mouseClick(child("applyButton"))
        var error = child("applyFailedErrorDlg")
        tryCompare(error, "opened", true, 5000)
        error.close()
        verify(child("dhcpRadio").checked)

        mouseClick(child("detailsLink"))
        tryCompare(child("detailsDlg"), "opened", true)
        var outcome = child("applyOutcomeText")
        verify(outcome.text !== "")
        compare(outcome.text, window.backend.selectedDetails.applyOutcome)
        verify(outcome.parent.visible)
        child("detailsDlg").close()
    }

    function test_addressInUseAsksFirst_data() {
        return [
            { tag: "Yes", button: "applyAnywayButton", applied: true },
            { tag: "No", button: "keepAddressButton", applied: false }
        ]
    }

    function test_addressInUseAsksFirst(data) {
        openWindow()
        typeInto(child("ipAddressField"), "192.168.1.101")
        verify(window.backend.addressWarning !== "")
        compare(window.backend.subnetMask, window.backend.recommendedSubnetMask)
        FakeCameras.clearLog()

        mouseClick(child("applyButton"))
        var dialog = child("addressInUseDlg")
        tryCompare(dialog, "opened", true)
        compare(child("addressInUseText").text, window.backend.addressWarning + "\n\nApply anyway?")
        mouseClick(child(data.button))
        tryCompare(dialog, "visible", false)
        verify(!child("recommendedSubnetDlg").opened)
        tryCompare(window.backend, "applying", false, 5000)
        if (data.applied)
            compare(FakeCameras.address("Camera A (A1)", "GevPersistentIPAddress"), "192.168.1.101")
        else
            compare(FakeCameras.writes().length, 0)
    }
}
