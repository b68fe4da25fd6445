import QtQuick
import QtTest
import com.qelt.zelkui 1.0

TestCase {
    id: testCase
    name: "WidgetFileDialog"

    Component {
        id: fileDialog
        WidgetFileDialog { }
    }

    Component {
        id: signalSpy
        SignalSpy { }
    }

    property WidgetFileDialog dialog

    function init() {
        dialog = createTemporaryObject(fileDialog, testCase)
        verify(dialog)
    }

    function test_defaults() {
        compare(dialog.selectExisting, true)
        compare(dialog.selectMultiple, false)
        compare(dialog.selectFolder, false)
        compare(dialog.title, "")
        compare(dialog.nameFilters.length, 0)
        compare(dialog.selectedNameFilter, "")
        compare(dialog.folder.toString(), "")
        compare(dialog.fileUrl.toString(), "")
        compare(dialog.fileUrls.length, 0)
        compare(dialog.visible, false)
    }

    function test_documentsShortcut() {
        verify(dialog.shortcuts)
        compare(dialog.shortcuts.documents.toString(), testHomeUrl.toString() + "/Documents")
        compare(dialog.shortcuts.home.toString(), testHomeUrl.toString())
    }

    function test_changesNotify_data() {
        return [
            { tag: "folder", property: "folder", value: "file:///tmp", signal: "folderChanged" },
            { tag: "selectExisting", property: "selectExisting", value: false, signal: "selectExistingChanged" },
            { tag: "selectMultiple", property: "selectMultiple", value: true, signal: "selectMultipleChanged" },
            { tag: "selectFolder", property: "selectFolder", value: true, signal: "selectFolderChanged" },
            { tag: "title", property: "title", value: "Open a recording", signal: "titleChanged" },
            { tag: "nameFilters", property: "nameFilters", value: ["Recordings (*.rec)", "All files (*)"],
              signal: "nameFiltersChanged" },
            { tag: "selectedNameFilter", property: "selectedNameFilter", value: "All files (*)",
              signal: "selectedNameFilterChanged" }
        ]
    }

    function test_changesNotify(data) {
        const spy = createTemporaryObject(signalSpy, testCase, { target: dialog, signalName: data.signal })
        dialog[data.property] = data.value
        compare(spy.count, 1)
        compare(String(dialog[data.property]), String(data.value))
        dialog[data.property] = data.value
        compare(spy.count, 1, "setting the same value again must not notify")
    }

    function test_bindingFollowsNotification() {
        const watcher = Qt.createQmlObject("import QtQuick; QtObject { property var source; "
                                           + "readonly property string text: source ? source.title : '' }",
                                           testCase)
        watcher.source = dialog
        dialog.title = "Save snapshot"
        compare(watcher.text, "Save snapshot")
        watcher.destroy()
    }

    // The QML tests run a QGuiApplication, where no widget may exist: open() must
    // report a cancellation instead of failing.
    function test_openWithoutWidgetsIsRejected() {
        const rejected = createTemporaryObject(signalSpy, testCase, { target: dialog, signalName: "rejected" })
        const accepted = createTemporaryObject(signalSpy, testCase, { target: dialog, signalName: "accepted" })
        ignoreWarning(new RegExp("needs a QApplication"))
        dialog.open()
        compare(rejected.count, 0, "the outcome arrives later, never inside open()")
        rejected.wait()
        compare(rejected.count, 1)
        compare(accepted.count, 0)
        compare(dialog.visible, false)
        compare(dialog.fileUrls.length, 0)
    }
}
