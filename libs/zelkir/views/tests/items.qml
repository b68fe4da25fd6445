import QtQuick
import ZelkirViewsTest

Item {
    width: 300
    height: 300

    RoiImageView {
        id: view
        objectName: "view"
        x: 50
        y: 50
        width: 200
        height: 200
    }

    ImageView {
        id: plain
        objectName: "plain"
        y: 250
        width: 100
        height: 50
    }
}
