import QtQuick
import QtQuick.Controls
import QtTest
import Qt.labs.platform as Labs
import PanelTest

TestCase {
    id: testCase
    name: "CameraController"
    width: 420
    height: 520
    visible: true
    when: windowShown

    // As the camera player's window offers it to the panel.
    property var lastDirectoryOpened: Labs.StandardPaths.DocumentsLocation
    property var camera: null
    property var panel: null

    Component {
        id: cameraComponent
        FakeCamera {}
    }

    Component {
        id: loaderComponent
        Loader {
            property var cameraModel: null
            source: "qrc:/zelkcamui/panels/CameraController.qml"
        }
    }

    function init() {
        lastDirectoryOpened = Labs.StandardPaths.DocumentsLocation
        camera = createTemporaryObject(cameraComponent, testCase)
        const loader = createTemporaryObject(loaderComponent, testCase, { cameraModel: camera })
        compare(loader.status, Loader.Ready)
        panel = loader.item
        tryVerify(() => camera.features.ready)
        camera.features.visibilityLevel = 2
    }

    function rowItem(feature) {
        const list = findChild(panel, "featureList")
        const row = camera.features.rowOf(feature)
        verify(row >= 0, feature)
        list.positionViewAtIndex(row, ListView.Contain)
        const item = list.itemAtIndex(row)
        verify(item !== null, feature)
        return item
    }

    function editorOf(feature, kind) {
        const editor = findChild(rowItem(feature), kind)
        verify(editor !== null, feature + " has no " + kind)
        return editor
    }

    function errorOf(feature) {
        return findChild(rowItem(feature), "errorText")
    }

    function typeInto(field, text) {
        field.forceActiveFocus()
        field.selectAll()
        for (let i = 0; i < text.length; ++i)
            keyClick(text[i])
        keyClick(Qt.Key_Return)
    }

    function shown(editor, kind) {
        switch (kind) {
        case "choiceEditor":
            return editor.currentText
        case "switchEditor":
            return editor.checked
        default:
            return editor.text
        }
    }

    function test_editors_data() {
        return [
            { tag: "float", feature: "Gain", kind: "numberEditor", shows: "6" },
            { tag: "integer", feature: "BadPixelCount", kind: "numberEditor", shows: "0" },
            { tag: "string", feature: "DeviceUserID", kind: "textEditor", shows: "Lab bench" },
            { tag: "enumeration", feature: "PixelFormat", kind: "choiceEditor", shows: "Mono 14" },
            { tag: "boolean", feature: "ReverseX", kind: "switchEditor", shows: false },
            { tag: "command", feature: "AcquisitionStart", kind: "commandEditor", shows: "Execute" },
            { tag: "read-only", feature: "DeviceTemperature", kind: "readOnlyText", shows: "36.4" },
            { tag: "register", feature: "BadPixelList", kind: "readOnlyText", shows: "1024 bytes" },
        ]
    }

    function test_editors(data) {
        compare(shown(editorOf(data.feature, data.kind), data.kind), data.shows)
    }

    function test_write_data() {
        const rows = [
            { tag: "number", feature: "Gain", kind: "numberEditor", input: "12.5", before: "6", value: 12.5 },
            { tag: "text", feature: "DeviceUserID", kind: "textEditor", input: "Roof", before: "Lab bench",
              value: "Roof" },
            { tag: "choice", feature: "PixelFormat", kind: "choiceEditor", before: "Mono 14", value: "Mono16" },
            { tag: "switch", feature: "ReverseX", kind: "switchEditor", before: false, value: true },
        ]
        const all = []
        for (const row of rows) {
            all.push(Object.assign({}, row, { refusal: "" }))
            all.push(Object.assign({}, row, { tag: row.tag + " refused", refusal: "Locked while recording." }))
        }
        return all
    }

    function test_write(data) {
        if (data.refusal !== "")
            camera.refuse(data.feature, data.refusal)
        const editor = editorOf(data.feature, data.kind)
        if (data.kind === "choiceEditor") {
            editor.forceActiveFocus()
            keyClick(Qt.Key_Down)
        } else if (data.kind === "switchEditor") {
            mouseClick(editor)
        } else {
            typeInto(editor, data.input)
        }
        tryVerify(() => camera.writes() === 1)
        if (data.refusal === "") {
            compare(camera.value(data.feature), data.value)
            tryVerify(() => shown(editor, data.kind) !== data.before)
            verify(!errorOf(data.feature).visible)
        } else {
            tryCompare(errorOf(data.feature), "text", data.refusal)
            verify(errorOf(data.feature).visible)
            // What the camera holds shows again.
            tryCompare(editor, data.kind === "switchEditor" ? "checked" : data.kind === "choiceEditor"
                       ? "currentText" : "text", data.before)
        }
    }

    function test_typedNumberChecked_data() {
        return [
            { tag: "above", feature: "Gain", input: "99", problem: "Between 0 and 24 dB." },
            { tag: "not a number", feature: "Gain", input: "x", problem: "Not a number." },
            { tag: "off the steps", feature: "IntegrationTime", input: "8005", problem: "In steps of 10 µs from 10 µs." },
            { tag: "not whole", feature: "BadPixelCount", input: "1.5", problem: "Not a whole number." },
        ]
    }

    function test_typedNumberChecked(data) {
        const editor = editorOf(data.feature, "numberEditor")
        const before = editor.text
        typeInto(editor, data.input)
        compare(errorOf(data.feature).text, data.problem)
        compare(camera.writes(), 0)
        keyClick(Qt.Key_Escape)
        compare(editor.text, before)
        verify(!errorOf(data.feature).visible)
    }

    function test_arrowKeysStep() {
        const editor = editorOf("IntegrationTime", "numberEditor")
        editor.forceActiveFocus()
        keyClick(Qt.Key_Up)
        tryCompare(editor, "text", "8010")
        compare(camera.value("IntegrationTime"), 8010)
    }

    function test_levelAndFilter() {
        const levelBox = findChild(panel, "levelBox")
        compare(levelBox.currentText, "Guru")
        levelBox.forceActiveFocus()
        keyClick(Qt.Key_Up)
        compare(camera.features.visibilityLevel, 1)
        typeInto(findChild(panel, "filterField"), "gain")
        compare(camera.features.filter, "gain")
        // Gain and Radiance Gain, under their categories.
        compare(findChild(panel, "featureList").count, 4)
    }

    function test_categoryCollapses() {
        camera.features.visibilityLevel = 0
        const count = camera.features.count
        mouseClick(rowItem("DeviceControl"))
        compare(camera.features.count, count - 4)
        mouseClick(rowItem("DeviceControl"))
        compare(camera.features.count, count)
    }

    function test_folder_data() {
        return [
            { tag: "location", where: Labs.StandardPaths.DocumentsLocation, folder: documentsPath },
            { tag: "location as text", where: String(Labs.StandardPaths.DocumentsLocation), folder: documentsPath },
            { tag: "path", where: "/tmp/shots", folder: "/tmp/shots" },
            { tag: "url", where: "file:///tmp/my%20shots", folder: "/tmp/my shots" },
        ]
    }

    function test_folder(data) {
        lastDirectoryOpened = data.where
        mouseClick(findChild(panel, "snapshotButton"))
        compare(camera.snapshots, 1)
        compare(camera.folder, data.folder)
    }

    function test_record() {
        const button = findChild(panel, "recordButton")
        lastDirectoryOpened = "/tmp/rec"
        mouseClick(button)
        verify(camera.recording)
        compare(camera.folder, "/tmp/rec")
        compare(button.contentItem.text, "Stop")
        mouseClick(button)
        verify(!camera.recording)
        compare(button.contentItem.text, "Record")
    }
}
