"""Where things are on the installer's pages and dialogs, and colours that prove a page is shown.

Positions are the centres the pages' weighted layouts give at the base size (600 by 400 for the
pages, 400 by 200 for the latest-version page and the dialogs), so they scale with the window.
"""
TEAL = (0x29, 0xC3, 0xB4)       # install, launch and the dialogs' second button; the progress bar
TEAL_DISABLED = (0x94, 0xE1, 0xD9)  # the install button at half alpha over white
WHITE = (0xFF, 0xFF, 0xFF)
TRACK = (0xEE, 0xEE, 0xEE)      # the progress bar's empty part
RED = (0xFF, 0x4D, 0x4F)        # hints

PAGE = (600, 400)
SMALL = (400, 200)


def point(window, base, x, y):
    """Screen position of (x, y) given in base pixels of a window of base size `base`."""
    return window.at(x / base[0], y / base[1])


class Welcome:
    size = PAGE
    close = (570, 32)
    install = (300, 279)
    install_probe = (240, 270)  # inside the button, clear of its text
    terms_box = (30, 369)
    link = (200, 369)
    custom = (560, 369)


class Custom:
    size = PAGE
    back = (70, 32)
    edit = (320, 155)
    browse = (535, 155)
    install = (300, 305)
    install_probe = (240, 296)
    blank = (300, 100)  # the title area: clicking there takes the focus from the edit field


class Progress:
    size = PAGE
    hide = (560, 36)
    bar_left, bar_right, bar_y = 48, 552, 361


class Finish:
    size = PAGE
    close = (570, 32)
    launch = (300, 324)
    launch_probe = (240, 315)


class Latest:
    size = SMALL
    close = (383, 15)
    open = (250, 164)
    install = (338, 164)
    install_probe = (310, 158)


class Dialog:
    """Any of the four 400 by 200 dialogs: id 1 left, id 2 right (teal), the cancel dialog's close."""
    size = SMALL
    first = (250, 164)
    second = (338, 164)
    second_probe = (310, 158)
    close = (383, 15)
