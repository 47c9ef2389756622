import QtQuick
import Qt5Compat.GraphicalEffects
import ZintraRadio

// A video player's picture with rounded corners: drawn through OpenGL where the scene graph
// draws with it, else by the software surface (which rounds its own corners). Nothing is made
// until the window's graphics API is known.
Item {
    id: picture

    property QtObject player: null
    property real cornerRadius: 0

    readonly property int api: GraphicsInfo.api
    readonly property bool openGL: api === GraphicsInfo.OpenGL
    // The surface in use, for its counters.
    readonly property Item surface: loader.item

    Loader {
        id: loader
        objectName: "videoSurfaceSlot"
        anchors.fill: parent
        sourceComponent: picture.api === GraphicsInfo.Unknown ? null
                       : picture.openGL ? openGLSurface : softwareSurface
    }

    Component {
        id: openGLSurface
        VideoSurface {
            objectName: "videoSurface"
            player: picture.player
            // Rounded through a mask where the shaders work; square otherwise.
            layer.enabled: picture.cornerRadius > 0 && ShaderLibrary.available
            layer.effect: OpacityMask {
                maskSource: Rectangle {
                    width: picture.width
                    height: picture.height
                    radius: picture.cornerRadius
                }
            }
        }
    }

    Component {
        id: softwareSurface
        SoftwareVideoSurface {
            objectName: "videoSurface"
            player: picture.player
            cornerRadius: picture.cornerRadius
        }
    }
}
