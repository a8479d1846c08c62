"""Deterministic replay of ZAVOK event scripts: the Python half of tools/zavok-replay.

scripts   counting events, and the lines that cause them, as the package's script reader reads them
png       writing and reading the frames (zlib only)
frames    comparing a frame with its reference, and the difference picture
session   the virtual display, the Wine session and the Win32 helper that steps the program
replay    the replay itself, reporting each frame to observers (saving, checking, report, progress)
report    the HTML page of a replay
progress  the progress bar, or plain lines
"""
