import QtQuick
import QtTest
import com.qelt.zelkir 1.0

TestCase {
    id: testCase
    name: "ReelvoWindow"
    when: windowShown

    property var window: null
    readonly property var popupNames: ["palettePopup", "imgEnhancePopup", "configPopup", "presetPopup", "spotMeter",
                                       "measurePanel"]

    // Elements by object name, also inside the popups and the minimap window. Items that
    // views and repeaters make are reached through the visual tree alone.
    function find(name) {
        let found = findChild(window.contentItem, name) || findChild(window, name)
        if (found)
            return found
        for (const popupName of popupNames.concat(["minimap"])) {
            const holder = findChild(window, popupName)
            found = holder ? findChild(holder.contentItem, name) : null
            if (found)
                return found
        }
        return null
    }

    function open(url) {
        window.doOpen(url)
        verify(window.document !== null)
        tryCompare(window.document, "status", 1, 5000) // DocumentModel.Ready
        tryVerify(function () { return window.document.frameInfo.count > 0 }, 5000)
        // Playback slow enough that a test sees each speed before the player moves on.
        window.document.filePlayer.targetDisplayRate = 1
    }

    function typeInto(field, text) {
        field.forceActiveFocus()
        field.selectAll()
        for (const c of text)
            keyClick(c)
        keyClick(Qt.Key_Return)
    }

    function init() {
        // No sequence of user actions may leave a QML error or warning on the log.
        failOnWarning(/.?/)
        verify(samplesReady)
        const component = Qt.createComponent("qrc:/Reelvo.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = createTemporaryObject(component, testCase)
        verify(window)
        tryVerify(function () { return window.contentItem.width > 0 })
        waitForRendering(window.contentItem)
    }

    function cleanup() {
        for (const popupName of popupNames)
            find(popupName).close()
        find("openErrorDlg").close()
        find("minimap").visible = false
        if (window.document)
            window.doClose()
        tryCompare(window.backend, "documentCount", 0)
    }

    function verifyState(open) {
        compare(window.document !== null, open)
        compare(find("logo").visible, !open)
        compare(find("view").visible, open)
        compare(find("openButton").enabled, !open)
        compare(find("closeButton").enabled, open)
        for (const name of ["paletteButton", "imgEnhanceButton", "configButton", "minimapButton"])
            compare(find(name).enabled, open, name)
    }

    function test_startsWithoutFile() {
        compare(window.title, "Reelvo")
        verifyState(false)
        compare(find("logo").text, "No File Opened")
        compare(find("paletteButtonImage").source, "image://palettes/Grayscale")
        verify(!find("presetButton").visible)
        compare(find("unitBox").currentIndex, -1)
        compare(find("tempTypeBox").currentIndex, -1)
        compare(find("frameNumberField").text, "")
        const slider = find("positionSlider")
        compare([slider.from, slider.to, slider.value], [0, 0, 0])
        for (const name of ["fastBackwardsButton", "backwardsButton", "stopButton", "playButton",
                            "fastForwardsButton", "loopButton"])
            verify(!find(name).highlighted, name)
        compare(find("spotMeterText").text, "")
        compare(window.metadata.input, null)
        // Nothing happens without a document.
        mouseClick(find("playButton"))
        mouseClick(find("stepOnButton"))
        compare(window.document, null)
    }

    function test_fileDialog() {
        const dialog = findChild(window, "fileDialog")
        compare(dialog.title, "Open")
        compare(dialog.nameFilters, ["Supported Files (*.sfmov *.sfimg *.seq *.img *.png *.bmp *.jpg *.jpeg *.tif *.tiff *.fts *.ats *.fcf)",
                                     "All files (*)"])
        compare(dialog.selectedNameFilter, dialog.nameFilters[0])
        verify(dialog.selectExisting && !dialog.selectMultiple && !dialog.selectFolder)
    }

    function test_openAndClose() {
        open(sampleUrl)
        verifyState(true)
        verify(!window.document.showSaturationColors)
        compare(window.metadata.input, window.document.frameInfo)
        compare(find("unitBox").currentIndex, window.document.unitIndex)
        compare(find("tempTypeBox").model, window.document.tempTypeStrings)
        const tempType = find("tempTypeBox")
        tempType.currentIndex = 2
        tempType.activated(2)
        compare(window.document.tempTypeIndex, 2)

        mouseClick(find("closeButton"))
        verifyState(false)
        tryCompare(window.backend, "documentCount", 0)
        verify(!find("view").visible)
        compare(find("tempTypeBox").currentIndex, -1)
    }

    function test_zoomResetFollowsZoomAlone() {
        const button = find("zoomResetButton")
        verify(!button.enabled)
        find("view").zoom = 2
        verify(button.enabled)
        mouseClick(button)
        compare(find("view").zoom, 0)
        verify(!button.enabled)
    }

    function test_unreadableFile() {
        window.doOpen(brokenUrl)
        tryVerify(function () { return find("openErrorDlg").opened }, 5000)
        verifyState(false)
        tryCompare(window.backend, "documentCount", 0)
    }

    function test_drop_data() {
        return [
            { tag: "several files", urls: [sequencingUrl, sampleUrl], text: "", opened: sequencingUrl },
            { tag: "plain text", urls: [], text: sampleUrl, opened: "" }
        ]
    }

    function test_drop(data) {
        dropper.drop(window, data.urls, data.text)
        if (!data.opened) {
            verifyState(false)
            return
        }
        verifyState(true)
        compare("file://" + window.document.filePath, data.opened)
    }

    function test_dropOnOpenFileReplacesIt() {
        open(sequencingUrl)
        const old = window.document.filePlayer
        window.metadata.unselectAll()
        compare(window.metadata.output.rowCount(), 0)
        dropper.drop(window, [sampleUrl], "")
        verifyState(true)
        compare("file://" + window.document.filePath, sampleUrl)
        verify(old === null || old.closed)
        // The filter was reset before the new document came.
        verify(window.metadata.isInFilter("Frame Number"))
        tryCompare(window.backend, "documentCount", 1)
    }

    function test_speedButtons_data() {
        return [
            { tag: "fast backwards at 10", skip: 10, button: "fastBackwardsButton", speed: -10 },
            { tag: "backwards", skip: 10, button: "backwardsButton", speed: -1 },
            { tag: "stop", skip: 10, button: "stopButton", speed: 0 },
            { tag: "play", skip: 10, button: "playButton", speed: 1 },
            { tag: "fast forwards at 10", skip: 10, button: "fastForwardsButton", speed: 10 },
            { tag: "fast backwards at 4", skip: 4, button: "fastBackwardsButton", speed: -4 },
            { tag: "fast forwards at 4", skip: 4, button: "fastForwardsButton", speed: 4 }
        ]
    }

    function test_speedButtons(data) {
        open(sampleUrl)
        window.fastPlaySkipBy = data.skip
        window.document.filePlayer.jumpTo(30)
        if (data.speed === 0)
            window.document.filePlayer.playSpeed = 1
        mouseClick(find(data.button))
        compare(window.document.filePlayer.playSpeed, data.speed)
        for (const name of ["fastBackwardsButton", "backwardsButton", "stopButton", "playButton", "fastForwardsButton"])
            compare(find(name).highlighted, name === data.button, name)
        // A speed of no button highlights none.
        window.document.filePlayer.playSpeed = 3
        for (const name of ["fastBackwardsButton", "backwardsButton", "stopButton", "playButton", "fastForwardsButton"])
            verify(!find(name).highlighted, name)
    }

    function test_loopButton() {
        open(sampleUrl)
        const loop = find("loopButton")
        const before = window.document.filePlayer.loopPlayback
        mouseClick(loop)
        compare(window.document.filePlayer.loopPlayback, !before)
        compare(loop.highlighted, !before)
        mouseClick(loop)
        compare(window.document.filePlayer.loopPlayback, before)
        compare(loop.highlighted, before)
    }

    function test_skipField() {
        open(sampleUrl)
        mouseClick(find("configButton"))
        verify(find("configPopup").visible)
        verify(find("configButton").highlighted)
        const field = find("skipField")
        const player = window.document.filePlayer
        compare(field.text, "10")

        typeInto(field, "1")
        compare(window.fastPlaySkipBy, 10)

        player.jumpTo(30)
        player.playSpeed = -10
        typeInto(field, "12")
        compare(window.fastPlaySkipBy, 12)
        compare(player.playSpeed, -12)
        verify(find("fastBackwardsButton").highlighted)

        player.playSpeed = 12
        typeInto(field, "5")
        compare(player.playSpeed, 5)

        player.playSpeed = 0
        typeInto(field, "7")
        compare(window.fastPlaySkipBy, 7)
        compare(player.playSpeed, 0)
    }

    function test_frameInfoPicks() {
        open(sampleUrl)
        mouseClick(find("configButton"))
        const list = find("frameInfoEnabledList")
        const grid = find("frameInfoGrid")
        const row = findChild(list.contentItem, "frameInfoRow:Size")
        verify(!window.metadata.isInFilter("Size"))
        const before = window.metadata.output.rowCount()
        mouseClick(row)
        verify(window.metadata.isInFilter("Size"))
        compare(row.color, Qt.color("#48484F"))
        tryCompare(grid, "count", before + 1)
        mouseClick(row)
        verify(!window.metadata.isInFilter("Size"))
        compare(row.color, Qt.color("#3B3B43"))

        mouseClick(find("selectAllButton"))
        compare(grid.count, window.metadata.output.rowCount())
        compare(window.metadata.output.rowCount(), window.document.frameInfo.count)
        verify(findChild(list.contentItem, "frameInfoRow:Size").highlighted)
        mouseClick(find("unselectAllButton"))
        compare(window.metadata.output.rowCount(), 0)
        verify(!findChild(list.contentItem, "frameInfoRow:Frame Number").highlighted)
    }

    function test_rateField() {
        open(sampleUrl)
        mouseClick(find("configButton"))
        const field = find("rateField")
        compare(field.text, "1.0")
        typeInto(field, "12.5")
        compare(Number(window.document.filePlayer.targetDisplayRate), 12.5)
        compare(field.text, "12.5")
    }

    function test_frameNumberAndPosition() {
        open(sampleUrl)
        const player = window.document.filePlayer
        const field = find("frameNumberField")
        const slider = find("positionSlider")
        compare(field.text, "0")
        compare([slider.from, slider.to], [player.boundStart, player.boundEnd])
        verify(slider.to > 10)

        typeInto(field, "7")
        tryCompare(player, "frameNumber", 7)
        compare(slider.value, 7)

        mouseClick(find("stepOnButton"))
        compare(player.frameNumber, 8)
        compare(field.text, "8")
        mouseClick(find("stepBackButton"))
        mouseClick(find("stepBackButton"))
        compare(player.frameNumber, 6)

        // A drag rests on whole frames inside the bounds.
        mousePress(slider, slider.leftPadding + 2, slider.height / 2)
        mouseMove(slider, slider.width * 0.37, slider.height / 2)
        mouseRelease(slider, slider.width * 0.37, slider.height / 2)
        const frame = Number(player.frameNumber)
        compare(frame, Math.round(frame))
        verify(frame > 6 && frame < player.boundEnd, frame)
        compare(slider.value, frame)
        compare(field.text, String(frame))
    }

    // A file cut while it plays: playback rests on a frame that is still there, the slider
    // agrees with the image, and the user is told; closing the notice hides it.
    function test_fileCutWhilePlaying() {
        const url = fileChanger.copy(sampleUrl, "cut.fits")
        verify(url !== "")
        open(url)
        const player = window.document.filePlayer
        const notice = find("readErrorNotice")
        verify(!notice.visible)
        const frames = player.frameCount
        player.targetDisplayRate = 30
        mouseClick(find("playButton"))
        tryVerify(function () { return Number(player.frameNumber) > 2 }, 5000)
        verify(fileChanger.truncate(url, 0.5))
        tryVerify(function () { return notice.visible }, 10000)
        tryCompare(player, "playSpeed", 0)
        verify(player.frameCount < frames && player.frameCount > 0, player.frameCount)
        verify(Number(player.frameNumber) < player.frameCount)
        compare(find("positionSlider").to, player.boundEnd)
        compare(find("frameNumberField").text, String(player.frameNumber))
        compare(find("readErrorText").text, player.readError)
        mouseClick(find("readErrorCloseButton"))
        verify(!notice.visible)
    }

    function test_paletteChoice() {
        open(sampleUrl)
        const button = find("paletteButton")
        const popup = find("palettePopup")
        mouseClick(button)
        verify(popup.visible)
        verify(button.highlighted)
        const list = find("paletteList")
        compare(list.count, window.backend.palettes.count)
        compare(list.currentIndex, window.document.paletteIndex)

        let popupVisibleAtChange = null
        const watch = function () { popupVisibleAtChange = popup.visible }
        window.document.paletteIndexChanged.connect(watch)
        const chosen = 4
        mouseClick(list.itemAtIndex(chosen))
        window.document.paletteIndexChanged.disconnect(watch)
        compare(popupVisibleAtChange, false)
        compare(window.document.paletteIndex, chosen)
        verify(!button.highlighted)
        compare(list.currentIndex, chosen)
        mouseClick(button)
        verify(findChild(list.itemAtIndex(chosen), "paletteSelection").visible)
        verify(!findChild(list.itemAtIndex(0), "paletteSelection").visible)
        compare(find("paletteButtonImage").source,
                "image://palettes/" + window.backend.palettes.paletteNames[chosen])
    }

    function test_presets() {
        open(sequencingUrl)
        const doc = window.document
        verify(doc.isSequencing)
        compare(doc.availablePresets, 0x0F)
        const button = find("presetButton")
        verify(button.visible)
        compare(button.text, "A")
        mouseClick(button)
        const popup = find("presetPopup")
        verify(popup.visible)
        const expected = { "A": true, "0": true, "1": true, "2": true, "3": true,
                           "4": false, "5": false, "6": false, "7": false, "SF": false }
        for (const text in expected)
            compare(find("presetButton:" + text).enabled, expected[text], text)
        verify(find("presetButton:A").highlighted)

        mouseClick(find("presetButton:2"))
        compare(doc.activePreset, 2)
        compare(button.text, "2")
        verify(popup.visible)
        verify(find("presetButton:2").highlighted)
        verify(!find("presetButton:A").highlighted)
    }

    function test_presetButtonHiddenWithoutPresets() {
        open(sampleUrl)
        verify(!find("presetButton").visible)
        // The minimap button takes the preset button's slot.
        compare(find("minimapButton").x, 6 * window.toolbarHeight)
    }

    function test_enhancement_data() {
        return [
            { tag: "linear", mode: 0, linear: true, sharpness: false },
            { tag: "plateau", mode: 1, linear: false, sharpness: false },
            { tag: "dde", mode: 2, linear: false, sharpness: true }
        ]
    }

    function test_enhancement(data) {
        open(sampleUrl)
        mouseClick(find("imgEnhanceButton"))
        verify(find("imgEnhancePopup").visible)
        const modes = find("scaleModeBox")
        compare(modes.model, window.document.imageEnhancement.availableScaleModeStrings)
        modes.currentIndex = data.mode
        modes.activated(data.mode)
        const enhancement = window.document.imageEnhancement
        compare(enhancement.scaleModeIndex, data.mode)
        const linear = find("linearSlider")
        const plateau = find("plateauSlider")
        const sharpness = find("sharpnessBox")
        compare(linear.visible, data.linear)
        compare(plateau.visible, !data.linear)
        compare(sharpness.enabled, data.sharpness)
        verify(sharpness.visible)

        const slider = data.linear ? linear : plateau
        slider.value = 37
        slider.moved()
        compare(data.linear ? enhancement.linearIgnore : enhancement.plateauP, 37)
        sharpness.currentIndex = 4
        sharpness.activated(4)
        compare(enhancement.ddeSharpness, 5)
    }

    function test_spotValueText_data() {
        return [
            { tag: "radiance", value: 0.000123456, unit: 101, text: "1.2346e-4" },
            { tag: "user radiance", value: -31415.9, unit: 102, text: "-3.1416e+4" },
            { tag: "temperature", value: 23.456, unit: 103, text: "23.46" },
            { tag: "user temperature held below half", value: 1.005, unit: 104, text: "1.00" },
            { tag: "counts", value: 1234.5, unit: 100, text: "1235" },
            { tag: "negative counts", value: -2.5, unit: 100, text: "-3" }
        ]
    }

    function test_spotValueText(data) {
        compare(find("spotMeter").valueText(data.value, data.unit), data.text)
    }

    function test_spotMeter() {
        open(sampleUrl)
        const view = find("view")
        const meter = find("spotMeter")
        mouseMove(view, 100, 100)
        verify(meter.visible)
        const doc = window.document
        tryVerify(function () { return doc.cursorPos.x >= 0 })
        compare(find("spotMeterText").text, "(" + doc.cursorPos.x + ", " + doc.cursorPos.y + ") "
                + find("spotMeter").valueText(doc.cursorValue, doc.unit))

        // Beside the pointer, flipped near the right and bottom edges; placed before the text follows.
        const cases = [Qt.point(120, 80), Qt.point(view.width - 20, 60), Qt.point(140, view.height - 20)]
        for (const p of cases) {
            const w = meter.width
            const h = meter.height
            mouseMove(view, p.x, p.y)
            const right = p.x > view.width - (16 + w)
            compare(meter.x, right ? p.x + view.x - (2 + w) : p.x + view.x + 16)
            const below = p.y > view.height - 48
            compare(meter.y, below ? p.y + view.y - (2 + h) : p.y + view.y + 16)
        }
        mouseMove(find("openButton"), 5, 5)
        verify(!meter.visible)
        mouseMove(view, 50, 50)
        verify(meter.visible)
    }

    function test_minimap() {
        open(sampleUrl)
        const button = find("minimapButton")
        const minimap = find("minimap")
        const view = find("view")
        const minimapView = find("minimapView")
        const indicator = find("minimapIndicator")
        const area = find("minimapMouseArea")
        mouseClick(button)
        verify(minimap.visible)
        // The window reports its visibility once the window system has shown it.
        tryVerify(function () { return button.highlighted })
        waitForRendering(minimapView)

        verify(!indicator.visible)
        const panBefore = view.pan
        mousePress(area, 10, 10)
        mouseRelease(area, 10, 10)
        compare(view.pan, panBefore)

        view.zoom = view.actualZoom * 4
        verify(indicator.visible)
        const w = window.document.imageSize.width * view.actualZoom
        const h = window.document.imageSize.height * view.actualZoom
        fuzzyCompare(indicator.width, view.width / w * minimapView.width, 1e-6)
        const mx = minimapView.width / 2
        const my = minimapView.height / 2
        mousePress(area, mx, my)
        fuzzyCompare(view.pan.x, (mx - indicator.width / 2) / minimapView.width * w, 1e-6)
        fuzzyCompare(view.pan.y, (my - indicator.height / 2) / minimapView.height * h, 1e-6)
        mouseRelease(area, mx, my)
        fuzzyCompare(indicator.x, view.pan.x / w * minimapView.width, 1e-6)
        fuzzyCompare(indicator.x + indicator.width / 2, mx, 1e-6)

        mouseClick(button)
        verify(!minimap.visible)
        tryVerify(function () { return !button.highlighted })
    }

    function test_gridColumns_data() {
        return [ { tag: "640", width: 640, columns: 2 }, { tag: "900", width: 900, columns: 3 } ]
    }

    function test_gridColumns(data) {
        open(sampleUrl)
        window.width = data.width
        const grid = find("frameInfoGrid")
        tryCompare(grid, "width", data.width)
        compare(grid.cellWidth, data.width / data.columns)
        tryCompare(grid, "count", window.metadata.output.rowCount())
        verify(grid.count > 0)
    }

    function test_startupArgument_data() {
        return [ { tag: "none", argument: "", opened: false }, { tag: "file", argument: sampleUrl, opened: true } ]
    }

    function test_startupArgument(data) {
        const component = Qt.createComponent("qrc:/Reelvo.qml")
        const started = createTemporaryObject(component, testCase, { startupArgument: data.argument })
        compare(started.document !== null, data.opened)
        if (data.opened)
            compare("file://" + started.document.filePath, sampleUrl)
        if (started.document)
            started.doClose()
    }

    // Every glyph and label of the bars shows whole, the preset button's "SF" included.
    function test_labelsShowWhole() {
        open(superframeUrl)
        verify(window.document.isSuperframing)
        window.document.activePreset = DocumentModel.PRESET_SUPERFRAME
        compare(find("presetButton").text, "SF")
        const names = ["openButton", "closeButton", "zoomResetButton", "imgEnhanceButton", "configButton",
                       "presetButton", "minimapButton", "measureButton", "firstFrameButton", "fastBackwardsButton",
                       "backwardsButton", "stopButton", "playButton", "fastForwardsButton", "lastFrameButton",
                       "loopButton", "stepBackButton", "stepOnButton", "presetButton:A", "presetButton:SF",
                       "unselectAllButton", "selectAllButton", "readErrorCloseButton"]
        for (const name of names) {
            const label = find(name).contentItem
            verify(!label.truncated, name)
            verify(label.implicitWidth <= label.width, name + ": " + label.implicitWidth + " > " + label.width)
        }
    }

    function test_choiceBoxesShowEntriesWhole_data() {
        return [ { tag: "unit", name: "unitBox" }, { tag: "temperature type", name: "tempTypeBox" } ]
    }

    function test_choiceBoxesShowEntriesWhole(data) {
        open(sampleUrl)
        const box = find(data.name)
        verify(box.count > 1)
        if (data.name === "unitBox")
            verify(box.model.indexOf("Temperature (factory)") >= 0)
        const field = box.contentItem
        for (let i = 0; i < box.count; ++i) {
            box.currentIndex = i
            verify(field.contentWidth <= field.width, box.currentText + ": " + field.contentWidth + " > " + field.width)
        }
        box.popup.open()
        tryCompare(box.popup, "opened", true)
        const list = box.popup.contentItem
        for (let i = 0; i < box.count; ++i) {
            tryVerify(function () { return list.itemAtIndex(i) !== null })
            const row = list.itemAtIndex(i)
            verify(row.contentItem.implicitWidth <= row.availableWidth, row.text)
        }
        box.popup.close()
    }

    // The margin around a fitted image is no pixel of it: the meter shows no value there.
    function test_spotMeterOutsideImage() {
        open(sampleUrl)
        const view = find("view")
        const meter = find("spotMeter")
        const doc = window.document
        tryVerify(function () { return view.actualZoom * doc.imageSize.width < view.width - 40 })
        const imageLeft = (view.width - view.actualZoom * doc.imageSize.width) / 2
        mouseMove(view, view.width / 2, view.height / 2)
        tryVerify(function () { return !isNaN(doc.cursorValue) })
        verify(find("spotMeterText").text !== "")
        compare(meter.opacity, 1)
        mouseMove(view, imageLeft / 2, view.height / 2)
        compare(doc.cursorPos, Qt.point(-1, -1))
        verify(isNaN(doc.cursorValue))
        verify(meter.visible)
        compare(find("spotMeterText").text, "")
        compare(meter.opacity, 0)
    }

    function test_closingWhileZoomed_data() {
        return [
            { tag: "then the minimap pressed", next: "" },
            { tag: "then a file opened", next: "open" },
            { tag: "by a dropped file", next: "drop" }
        ]
    }

    // A zoom belongs to its file, and the minimap stays quiet without one.
    function test_closingWhileZoomed(data) {
        open(sampleUrl)
        const view = find("view")
        const minimap = find("minimap")
        const area = find("minimapMouseArea")
        mouseClick(find("minimapButton"))
        tryVerify(function () { return minimap.visible && area.width > 0 })
        view.zoom = view.actualZoom * 4
        if (data.next === "drop")
            dropper.drop(window, [sequencingUrl], "")
        else
            mouseClick(find("closeButton"))
        if (data.next === "open")
            open(sequencingUrl)
        mousePress(area, area.width / 2, area.height / 2)
        mouseMove(area, area.width / 3, area.height / 3)
        mouseRelease(area, area.width / 3, area.height / 3)
        compare(view.zoom, 0)
        verify(!find("minimapIndicator").visible)
    }

    function test_readErrorNotice_data() {
        const player = "import QtQml; QtObject { property string readError }"
        return [
            { tag: "no player", player: "", error: "", shown: false },
            { tag: "player without readError", player: "import QtQml; QtObject {}", error: "", shown: false },
            { tag: "reads succeed", player: player, error: "", shown: false },
            { tag: "file changed", player: player, error: "The file changed on disk.", shown: true }
        ]
    }

    function test_readErrorNotice(data) {
        const component = Qt.createComponent("qrc:/viewer/ReadErrorNotice.qml")
        const notice = createTemporaryObject(component, window.contentItem, { iconFont: "FontAwesome" })
        if (data.player) {
            const player = createTemporaryQmlObject(data.player, testCase)
            if (data.error)
                player.readError = data.error
            notice.player = player
        }
        compare(notice.visible, data.shown)
        if (!data.shown)
            return
        compare(findChild(notice, "readErrorText").text, data.error)
        mouseClick(findChild(notice, "readErrorCloseButton"))
        verify(!notice.visible)
        // The same sentence again after reads recovered shows again.
        notice.player.readError = ""
        notice.player.readError = data.error
        verify(notice.visible)
        // The window's notice follows the open file's player, which reports nothing here.
        open(sampleUrl)
        verify(!find("readErrorNotice").visible)
    }

    function test_popupLeftOpenWhenFileCloses_data() {
        return [
            { tag: "palette", button: "paletteButton", popup: "palettePopup", controls: [] },
            { tag: "enhancement", button: "imgEnhanceButton", popup: "imgEnhancePopup", controls: ["scaleModeBox"] },
            { tag: "configuration", button: "configButton", popup: "configPopup",
              controls: ["selectAllButton", "unselectAllButton", "skipField", "rateField"] },
            { tag: "presets", button: "presetButton", popup: "presetPopup", controls: ["presetButton:A"] },
            { tag: "measurement", button: "measureButton", popup: "measurePanel",
              controls: ["colorBarCheck", "regionTool:box", "emissivityField"] }
        ]
    }

    // A popup stays open without its file, and its controls then change nothing, quietly.
    function test_popupLeftOpenWhenFileCloses(data) {
        open(sequencingUrl)
        mouseClick(find(data.button))
        const popup = find(data.popup)
        verify(popup.visible)
        window.doClose()
        verify(popup.visible)
        for (const name of data.controls) {
            const control = find(name)
            if (control.validator !== undefined)
                typeInto(control, "5")
            else
                mouseClick(control)
        }
        compare(window.document, null)
        compare(window.fastPlaySkipBy, data.tag === "configuration" ? 5 : 10)
    }

    // Drags on the view from one image point to another, as a user draws.
    function dragOnImage(view, from, to) {
        const a = view.mapFromImage(from)
        const b = view.mapFromImage(to)
        mousePress(view, a.x, a.y)
        mouseMove(view, (a.x + b.x) / 2, (a.y + b.y) / 2)
        mouseMove(view, b.x, b.y)
        mouseRelease(view, b.x, b.y)
    }

    // The measurement panel end to end on a copy of the sample: a region drawn, moved and
    // kept beside the file, its rows in the frame information, a typed span and emissivity,
    // an export, and the region's figures over the file plotted.
    function test_measurementPanel() {
        const url = fileChanger.copy(sampleUrl, "measure.fits")
        verify(url !== "")
        open(url)
        mouseClick(find("measureButton"))
        const panel = find("measurePanel")
        verify(panel.visible)
        verify(find("measureButton").highlighted)
        const view = find("view")
        const regions = window.document.regions

        mouseClick(find("regionTool:box"))
        compare(view.regionEditor.tool, "box")
        // Right of the panel, which covers the left of the view.
        dragOnImage(view, Qt.point(40, 8), Qt.point(55, 20))
        compare(view.regionEditor.tool, "")
        compare(regions.count, 1)
        compare(regions.selected, 0)
        const box = findChild(view, "regionLabel:Box 1").parent
        compare(Math.round(box.x1), 40)
        compare(Math.round(box.y2), 20)
        tryVerify(function () { return window.document.frameInfo.value("Box 1 Max") !== "" })
        tryVerify(function () { return find("regionRow:Box 1") !== null })
        verify(window.document.rois.length >= 1)
        keyClick(Qt.Key_Right)
        compare(Math.round(box.x1), 41)

        // A temperature span typed in the panel holds and shows on the colour bar.
        window.document.unitIndex = window.document.availableUnitStrings.indexOf("Temperature (factory)")
        mouseClick(find("measureTab:Scale"))
        typeInto(find("spanMinimumField"), "20")
        verify(window.document.spanLocked)
        compare(window.document.spanMinimum, 20)
        tryVerify(function () {
            const ticks = window.document.colorBarTicks
            return ticks.length > 0 && ticks[0].text === "20.00"
        })
        verify(find("colorBar").visible)
        mouseClick(find("spanLockCheck"))
        verify(!window.document.spanLocked)

        mouseClick(find("measureTab:Object"))
        typeInto(find("emissivityField"), "0.9")
        compare(window.document.objectParameters.emissivity, 0.9)

        const exportPage = find("exportPage")
        exportPage.save("csv", url.replace(/^file:\/\//, "").replace("measure.fits", "frame.csv"))
        verify(exportPage.message.startsWith("Saved"), exportPage.message)

        mouseClick(find("measureTab:Plots"))
        const plots = find("plotsLoader")
        tryVerify(function () { return plots.item !== null })
        mouseClick(findChild(plots.item, "seriesStartButton"))
        tryVerify(function () { return window.document.regionSeries.complete }, 10000)
        tryVerify(function () { return findChild(plots.item, "seriesChart").count === 3 })

        // The region and the emissivity come back with the file.
        window.doClose()
        open(url)
        compare(window.document.regions.count, 1)
        compare(window.document.objectParameters.emissivity, 0.9)
        window.document.regions.selected = 0
        mouseClick(find("measureTab:Regions"))
        mouseClick(find("regionDelete"))
        compare(window.document.regions.count, 0)
    }
}
