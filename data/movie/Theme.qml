pragma Singleton
import QtQuick

// The movie's look: its colours, corner radius and fonts, and the face of
// each kind of button. The colours follow the system's palette: light or
// dark as its window colour is, every text at 4.5:1 or better on its ground.
QtObject {
    readonly property SystemPalette system: SystemPalette {}
    readonly property bool dark: system.window.hslLightness < 0.5

    readonly property color windowBg: dark ? "#15181e" : "#f2f4f8"
    readonly property color footerBg: dark ? "#1b1f26" : "#e8ecf2"
    readonly property color surface: dark ? "#1f232b" : "#ffffff"
    readonly property color sunken: dark ? "#262b34" : "#eaeef4"
    readonly property color border: dark ? "#363d48" : "#d2d8e2"
    readonly property color borderStrong: dark ? "#4b5462" : "#b4bdcb"
    readonly property color text: dark ? "#e9ecf1" : "#18202c"
    readonly property color textMuted: dark ? "#a9b2c0" : "#536074"
    readonly property color textFaint: dark ? "#939cab" : "#69738a"
    readonly property color glyphMuted: dark ? "#8f98a8" : "#7b8799"
    readonly property color hover: dark ? "#272c36" : "#f5f7fa"
    readonly property color pressed: dark ? "#2f3541" : "#e6eaf1"
    readonly property color accent: "#2563eb"
    readonly property color accentHover: "#1d54d6"
    readonly property color accentPressed: "#1a46b0"
    readonly property color accentSoft: dark ? "#1d2a45" : "#e4ecfd"
    readonly property color accentSoftHover: dark ? "#243559" : "#d5e2fc"
    readonly property color accentSoftPressed: dark ? "#2c4070" : "#c2d5fa"
    readonly property color accentText: dark ? "#9dbdff" : "#1d4ed8"
    readonly property color danger: "#d9372e"
    readonly property color dangerHover: "#c22f27"
    readonly property color dangerPressed: "#a52720"
    readonly property color live: "#22c55e"
    readonly property color chrome: dark ? "#0b0e14" : "#111827"
    readonly property color chromeText: "#f3f5f8"
    readonly property color chromeMuted: dark ? "#a3acba" : "#9aa3b2"
    readonly property color chromeHover: dark ? "#1c2330" : "#222c3b"
    readonly property color chromePressed: dark ? "#273042" : "#2e3a4d"
    readonly property color chromeTabHover: "#d3d9e3"
    readonly property color closeHover: "#e5484d"
    readonly property color closePressed: "#c93b40"
    readonly property color focus: dark ? "#60a5fa" : "#3b82f6"
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
