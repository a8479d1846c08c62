// The words the replay helper (replay_helper.cpp) and the tool's Python side (zavokreplay/
// session.py) speak over the helper's standard input and output, one line each way. The build
// turns every `#define REPLAY_NAME "word"` line of this file into `NAME = "word"` in
// replay_protocol.py beside replay_helper.exe, which the Python side reads: so both sides take
// their words from here, and a tool always reads the words of the helper built with them.
//
// Commands, to the helper:
//   await    no event: wait until the program is back in its wait with its window painted
//   play     give Play One (the script's next event), then as await
//   repaint [text]  mark the whole window invalid again (with text, the text window too, when
//            the program shows it) and answer at once: the program repaints it when it next waits
//            for input, which hands the window's pixels to the X server afresh
//   answer TEXT  type TEXT into the program's line-input dialog and press its default button,
//            then as await
//   end      wait for the program to end, as its last event should have made it
//   rects    the graphics window's outer and client rectangles on the desktop
//   text     the lines of the program's text window, read from its pixels (text_reader.h)
//   text pixels W H  the same, read from the W x H pixels of its client area that follow the line
//            (4 bytes each: B, G, R, unused; row by row from the top), as the X server has them
//   quit     ask the program to quit (or end it) and give its exit status
//   start PROGRAM.exe  once the program before is gone: start another one
// Answers, from the helper, each one line:
//   ready                 the program's graphics window is on the screen (at the start and after start)
//   painted               back in its wait, window painted
//   repainting [text]     after repaint: the window is marked invalid (text: the text window too)
//   dialog PROMPT         waiting in a modal dialog (ZAVOK_gets) that a script cannot answer
//   hung                  not back in its wait within the event time-out: the helper has ended it
//   ended STATUS          the program ended (exit status as an unsigned number; an exception's code
//                         for a crash: the session has no post-mortem debugger to hold it)
//   running               after end: the program did not end in time, and the helper has ended it
//   rects L T R B L T R B
//   text SHOWN BYTES X Y W H  then BYTES bytes of UTF-8 lines, each ended by '\n'; SHOWN is 1 when
//                         the hidden window had to be shown to be read; X Y W H is where its client
//                         area lies in the window (outer edge at 0 0); "text none" without a window
//   quit STATUS           -1 when the program had to be ended
//   error REASON          the helper cannot go on; it ends the program and itself
//
// Why the Python side has the program paint a second time. "painted" means that the program has
// copied its surface to the window, in the window's image inside its own process; Wine passes
// that image to the X server a moment later, when the program next finds its queue empty, and an
// older flush (a window just shown or uncovered) may still be on its way. So the Python side
// drops the X server's damage reports seen so far and sends repaint: whatever reaches the server
// from then on carries the frame, and the first damage inside the client area says that the frame
// is there, to be read from the server itself (xdamage.py). That damage is the only thing waited
// for: the helper does not wait for the repaint (as it does for await), since the program does
// nothing else before the next command (two message round trips fewer: about a fifth of an
// event's time). With text, the text window is repainted as well, so that its pixels, once that
// damage is seen too, can be read from the server and compared with those of the last text read.
#ifndef ZAVOK_REPLAY_PROTOCOL_H
#define ZAVOK_REPLAY_PROTOCOL_H

#define REPLAY_AWAIT "await"
#define REPLAY_PLAY "play"
#define REPLAY_REPAINT "repaint"
#define REPLAY_ANSWER "answer"
#define REPLAY_END "end"
#define REPLAY_RECTS "rects"
#define REPLAY_TEXT "text"
#define REPLAY_PIXELS "pixels"
#define REPLAY_QUIT "quit"
#define REPLAY_START "start"

#define REPLAY_READY "ready"
#define REPLAY_PAINTED "painted"
#define REPLAY_REPAINTING "repainting"
#define REPLAY_DIALOG "dialog"
#define REPLAY_HUNG "hung"
#define REPLAY_ENDED "ended"
#define REPLAY_RUNNING "running"
#define REPLAY_NONE "none"
#define REPLAY_ERROR "error"

#endif
