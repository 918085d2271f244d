"""Where everything sits. Logical editor pixels (1280 x 324, panel is the top 295) are doubled for
the panel pictures (2560 x 590). Each control picture is drawn scaled into its bounds, so its
'display size' on the panel is twice the logical bounds even when the picture is a few pixels
wider; the generator draws every control round in display space and samples it into the picture
grid, so it looks round once the editor squeezes it into its bounds."""

PANEL_W, PANEL_H = 2560, 590
FRAMES = 128
KNOB_SWEEP = 300.0            # degrees from frame 0 to frame 127
KNOB_START = -150.0           # frame 0 angle, degrees clockwise from straight up
SELECTOR_ANGLES = (-60.0, 0.0, 60.0)


def knob_angle(frame, frames=FRAMES):
    return KNOB_START + KNOB_SWEEP * frame / (frames - 1)


# name: (picture width, height per frame, frames, logical bounds x, y, w, h)
CONTROLS = {
    "KnobEmphasis": (160, 158, 128, (214, 29, 80, 79)),
    "KnobWetDry": (159, 158, 128, (984, 161, 80, 79)),
    "KnobMakeUp": (159, 158, 128, (984, 29, 80, 79)),
    "KnobGain": (226, 224, 128, (354, 91, 113, 112)),
    "KnobPeakReduction": (238, 224, 128, (815, 91, 113, 112)),
    "KnobCellsel": (128, 128, 3, (218, 183, 64, 64)),
    "KnobVULevel": (130, 128, 3, (1136, 180, 64, 64)),
    "PowerLED": (135, 109, 2, (1127, 47, 67, 54)),
    "SwitchPower": (120, 104, 2, (103, 114, 60, 52)),
    "SwitchCompressLimit": (120, 104, 2, (65, 203, 60, 52)),
    "SwitchExtSC": (120, 104, 2, (137, 203, 60, 52)),
    "VUMeter": (322, 151, 128, (559, 101, 161, 75)),
}

MEDALLION = (590, 180, 95, 94)      # logical bounds of the logo medallion (About hot spot)
VERSION_AT = (740, 75)              # logical top-left of the About version text


def display_rect(name):
    """(x, y, w, h) in panel pixels where the control's picture lands."""
    x, y, w, h = CONTROLS[name][3]
    return 2 * x, 2 * y, 2 * w, 2 * h


def display_centre(name):
    x, y, w, h = display_rect(name)
    return x + w / 2.0, y + h / 2.0


def medallion_centre():
    x, y, w, h = MEDALLION
    return 2 * x + w, 2 * y + h
