import QtQuick
import QtQuick.Templates as T
import qeltstyle.impl

T.ApplicationWindow {
    id: window

    color: Theme.window
    font.pixelSize: Theme.fontPixelSize

    // Controls this style leaves to the fallback draw from the palette, so it carries
    // the same dark colours.
    palette.window: Theme.window
    palette.windowText: Theme.text
    palette.base: Theme.field
    palette.alternateBase: Theme.row
    palette.text: Theme.text
    palette.button: Theme.base
    palette.buttonText: Theme.text
    palette.brightText: Theme.text
    palette.highlight: Theme.accent
    palette.highlightedText: Theme.text
    palette.light: Theme.hovered
    palette.midlight: Theme.row
    palette.mid: Theme.info
    palette.dark: Theme.pressed
    palette.shadow: Theme.shadow
    palette.link: Theme.highlightedText
    palette.placeholderText: Theme.secondaryText
    palette.toolTipBase: Theme.popup
    palette.toolTipText: Theme.text
}
