import QtQuick
import com.qelt.zelkir 1.0

// The main image view of a document: its image and regions, and the cursor handed back to
// it. Each new document, or none, starts fitted. The region editor lies over it.
RoiImageView {
    id: view

    property var document: null
    // The camera player keeps the last frame on screen after its camera is gone.
    property bool keepsLastImage: false
    property alias regionEditor: editor

    visible: false
    rois: document ? document.rois : null
    onDocumentChanged: zoom = 0
    onCursorPosChanged: {
        if (view.document)
            view.document.cursorPos = view.cursorPos
    }

    // Without a document the view returns to no image, unless it keeps the last one.
    Binding {
        target: view
        property: "image"
        value: view.document ? view.document.image : null
        when: view.document !== null
        restoreMode: view.keepsLastImage ? Binding.RestoreNone : Binding.RestoreBindingOrValue
    }

    // A window may hand the regions over once when it opens a document; edits after that
    // must still show.
    Connections {
        target: view.document
        function onRoisChanged() {
            view.rois = view.document.rois
        }
    }

    RegionEditor {
        id: editor
        objectName: "regionEditor"
        anchors.fill: parent
        view: view
        regions: view.document ? view.document.regions : null
    }
}
