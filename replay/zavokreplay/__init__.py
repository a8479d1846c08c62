"""Driving ZAVOK programs from outside, and the deterministic replay of event scripts (the
Python half of tools/zavok-replay, tools/isolated and the e2e tests).

constants  the names and numbers shared with the package (graphics/zavok_ids.h) and Kartello's layout
world      a world of its own: a virtual display, a private Wine prefix copy, Wine's virtual desktop
xlib       the X server by ctypes: windows, their pixels, XTest input
xdamage    the X server's damage reports: when a window's pixels have reached the server
desktop    driving a program as a person does: its window, clicks, keys, menus, screenshots, its exit
screenshot a picture of a program's window as Windows draws it (tools/kartello --screenshot)
scripts    counting events, and the lines that cause them, as the package's script reader reads them
png        writing and reading the frames (zlib only)
frames     comparing a frame with its reference, and the difference picture
session    a world for a replay, and the Win32 helper inside it that steps the program
replay     the replay itself, reporting each frame to observers (saving, checking, report, progress)
reference  the reference program's replay beside the program's (--reference-program)
report     the HTML page of a replay
progress   the progress bar, or plain lines
"""
