import QtQuick
import ZintraRadio

// A lyrics search snippet: plain words, the matched ones cyan and heavy, at most two lines.
SnippetLabel {
    color: Theme.white(0.62)
    markColor: Theme.cyan
    fontFamily: Theme.textFont
    pixelSize: 12
    maximumLineCount: 2
    Accessible.role: Accessible.StaticText
    Accessible.name: plainText
}
