import QtQuick 2.7
import QtQuick.Controls 2.2
import QtQuick.Layouts 1.3
import com.qelt.zelkui 1.0
import "../controls"

// Saves the current frame (radiometric FITS, CSV in the unit shown, PNG as displayed with
// its colour bar), a file's frames between the bounds as a FITS movie, and the regions'
// figures over time as CSV.
ColumnLayout {
    id: page

    property var document: null
    // Where the save dialog starts.
    property url folder
    readonly property bool isFile: !!document && !document.realtime
    readonly property var series: document ? document.regionSeries : null
    readonly property var movie: document ? document.movieExporter : null
    property string message
    // What the dialog is asked for: "fits", "csv", "png", "movie" or "series".
    property string pending
    // A series export waiting for its figures to be worked out.
    property string seriesPath

    function localPath(url) {
        return decodeURIComponent(url.toString().replace(/^file:\/\//, ""))
    }

    function ask(kind, title, filter) {
        pending = kind
        saveDialog.title = title
        saveDialog.nameFilters = [filter]
        saveDialog.selectedNameFilter = filter
        saveDialog.open()
    }

    // Saves to `path` what `kind` names; the outcome shows under the buttons.
    function save(kind, path) {
        if (!document)
            return
        let error = ""
        if (kind === "fits")
            error = document.exportFrameFits(path)
        else if (kind === "csv")
            error = document.exportFrameCsv(path)
        else if (kind === "png")
            error = document.exportFramePng(path)
        else if (kind === "movie") {
            error = movie.start(path)
            message = error !== "" ? error : "Saving the movie..."
            return
        } else if (kind === "series") {
            if (series.running || series.stale || !series.complete) {
                const started = series.running ? "" : series.start()
                if (started === "") {
                    seriesPath = path
                    message = "Working out the figures of every frame..."
                    return
                }
            }
            error = series.exportCsv(path)
        }
        message = error !== "" ? error : "Saved " + path
    }

    spacing: 4

    WidgetFileDialog {
        id: saveDialog
        folder: page.folder
        selectExisting: false
        onAccepted: page.save(page.pending, page.localPath(saveDialog.fileUrl))
    }

    Connections {
        target: page.movie
        function onFinished(ok, text) {
            page.message = text
        }
    }

    Connections {
        target: page.series
        function onRunningChanged() {
            if (page.series.running || page.seriesPath === "")
                return
            const path = page.seriesPath
            page.seriesPath = ""
            page.save("series", path)
        }
    }

    Button {
        objectName: "exportFitsButton"
        Layout.fillWidth: true
        enabled: !!page.document
        text: "Frame as radiometric FITS..."
        onClicked: page.ask("fits", "Save Frame as FITS", "FITS (*.fits *.fts *.fit)")
    }

    Button {
        objectName: "exportCsvButton"
        Layout.fillWidth: true
        enabled: !!page.document
        text: "Frame as CSV in the unit shown..."
        onClicked: page.ask("csv", "Save Frame as CSV", "CSV (*.csv)")
    }

    Button {
        objectName: "exportPngButton"
        Layout.fillWidth: true
        enabled: !!page.document
        text: "Frame as PNG with colour bar..."
        onClicked: page.ask("png", "Save Frame as PNG", "PNG (*.png)")
    }

    Button {
        objectName: "exportMovieButton"
        Layout.fillWidth: true
        visible: page.isFile
        enabled: !!page.movie && !page.movie.running
        text: "Frames between the bounds as FITS movie..."
        onClicked: page.ask("movie", "Save Movie as FITS", "FITS (*.fits *.fts *.fit)")
    }

    Button {
        objectName: "exportSeriesButton"
        Layout.fillWidth: true
        enabled: !!page.series && !!page.document && page.document.regions.count > 0
        text: "Region figures over time as CSV..."
        onClicked: page.ask("series", "Save Region Figures as CSV", "CSV (*.csv)")
    }

    ProgressBar {
        objectName: "exportProgress"
        Layout.fillWidth: true
        visible: (!!page.movie && page.movie.running) || (!!page.series && page.series.running)
        value: page.movie && page.movie.running ? page.movie.progress : page.series ? page.series.progress : 0
    }

    Text {
        objectName: "exportMessage"
        Layout.fillWidth: true
        wrapMode: Text.WrapAnywhere
        text: page.message
    }

    Item {
        Layout.fillHeight: true
    }
}
