pragma Singleton
import QtQuick

// The movie's look: its colours, corner radius and fonts, and the face of
// each kind of button.
QtObject {
    readonly property color windowBg: "#f2f4f8"
    readonly property color footerBg: "#e8ecf2"
    readonly property color surface: "#ffffff"
    readonly property color sunken: "#eaeef4"
    readonly property color border: "#d2d8e2"
    readonly property color borderStrong: "#b4bdcb"
    readonly property color text: "#18202c"
    readonly property color textMuted: "#536074"
    readonly property color textFaint: "#8a94a6"
    readonly property color glyphMuted: "#7b8799"
    readonly property color hover: "#f5f7fa"
    readonly property color pressed: "#e6eaf1"
    readonly property color accent: "#2563eb"
    readonly property color accentHover: "#1d54d6"
    readonly property color accentPressed: "#1a46b0"
    readonly property color accentSoft: "#e4ecfd"
    readonly property color accentSoftHover: "#d5e2fc"
    readonly property color accentSoftPressed: "#c2d5fa"
    readonly property color accentText: "#1d4ed8"
    readonly property color danger: "#d9372e"
    readonly property color dangerHover: "#c22f27"
    readonly property color dangerPressed: "#a52720"
    readonly property color live: "#22c55e"
    readonly property color chrome: "#111827"
    readonly property color chromeText: "#f3f5f8"
    readonly property color chromeMuted: "#9aa3b2"
    readonly property color chromeHover: "#222c3b"
    readonly property color chromePressed: "#2e3a4d"
    readonly property color chromeTabHover: "#d3d9e3"
    readonly property color closeHover: "#e5484d"
    readonly property color closePressed: "#c93b40"
    readonly property color focus: "#3b82f6"
    readonly property int radius: 7

    readonly property font labelFont: Qt.font({ pixelSize: 13, weight: Font.Medium })
    readonly property font strongFont: Qt.font({ pixelSize: 13, weight: Font.DemiBold })

    // Face colour of a button of the given variant, following its mouse area.
    function fill(variant: string, area: MouseArea): color {
        const down = area.pressed;
        const over = area.containsMouse;
        switch (variant) {
        case "primary":
            return down ? accentPressed : over ? accentHover : accent;
        case "danger":
            return down ? dangerPressed : over ? dangerHover : danger;
        case "tonal":
            return down ? accentSoftPressed : over ? accentSoftHover : accentSoft;
        case "chrome":
            return down ? chromePressed : over ? chromeHover : "transparent";
        case "close":
            return down ? closePressed : over ? closeHover : "transparent";
        default:
            return down ? pressed : over ? hover : surface;
        }
    }

    // Whether a key presses a focused control: Space, Return or Enter.
    function isPressKey(event: KeyEvent): bool {
        return event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter;
    }
}
