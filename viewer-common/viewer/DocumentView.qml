import QtQuick 2.7
import com.qelt.zelkir 1.0

// The main image view of a document: its image and regions, and the cursor handed back to
// it. Each new document, or none, starts fitted.
RoiImageView {
    id: view

    property var document: null

    visible: false
    rois: document ? document.rois : null
    onDocumentChanged: zoom = 0
    onCursorPosChanged: {
        if (view.document)
            view.document.cursorPos = view.cursorPos
    }

    // Without a document the view returns to no image.
    Binding {
        target: view
        property: "image"
        value: view.document ? view.document.image : null
        when: view.document !== null
    }
}
