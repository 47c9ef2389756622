import QtQuick
import ZintraRadio

// The brand mark at a size: the stage's BrandMark when the module has it, else the stand-in.
ViewSlot {
    property real size: 24

    view: "stage/BrandMark.qml"
    properties: ({ size: size })
    fallback: Component {
        BrandStandIn { size: parent ? parent.size : 24 }
    }
}
