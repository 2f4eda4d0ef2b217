// The report window on Qt 6 Widgets: the DisplayPlatform of display/surface.h, one
// QAbstractScrollArea whose viewport shows the display page at the scroll offset. Qt only
// shows; every position is decided by the window procedure (display/window.h), which
// receives each input as the message the window would get on Windows.
//
// How the window's notions map onto Qt (and, through it, X11 or Wayland):
//
//   notion                    here
//   outer window size         the widget's size; frame and caption belong to the window
//                             manager (caption height 0, adjustWindowRect changes nothing)
//   window position           the frame's top-left corner (QWidget::pos, move)
//   client area               the viewport (the widget less its visible scroll bars); its
//                             SIZE is posted, so it arrives once Qt has laid out the area
//   work area, screen size    the screen's available geometry, its geometry
//   scroll-bar extents        the style's PM_ScrollBarExtent; cursor size 32 x 32
//   scroll range, position    the area's own bars: a range of 0 hides a bar, any other
//                             shows it; Qt never scrolls by itself
//   line, page, thumb         the bars' actions: arrows (held: Qt's auto-repeat gives the
//                             repeated line requests), page clicks, and the thumb's release
//                             (tracking is off, so dragging it changes nothing until then)
//   maximum size              the answer of GET_MIN_MAX_INFO as the widget's maximum size,
//                             asked whenever the window is made, placed or changes state;
//                             unless maximised, plus the scroll-bar extents: a user can
//                             drag the window just far enough for it to snap back to the
//                             answer without bars
//   maximised                 the window manager's size and place: setWindowPos leaves
//                             both alone
//   topmost                   the stay-on-top hint; dropping it clears the hint and
//                             raises the window once
//   a user resize             SIZING (the edge inferred from which dimensions changed:
//                             right, bottom or bottom-right) and SIZE; EXIT_SIZE_MOVE once
//                             no resize came for 250 ms. Sizes we set ourselves, and what
//                             the window manager makes of them within 500 ms, are not the
//                             user's.
//   minimise, maximise, restore  window-state changes, as SYS_COMMAND
//   close button, Alt+F4      CLOSE; the window stays
//   keys                      Shift and Ctrl as KEY_DOWN/KEY_UP 0x10/0x11; page up/down,
//                             end, home, arrows, select, printer, execute, print screen,
//                             insert, delete as KEY_DOWN 0x21-0x2E; Escape, Enter, Tab,
//                             Backspace and printable ASCII as CHAR (Ctrl+letter as its
//                             control character, Ctrl+Q 0x11); Alt+letter as SYS_CHAR
//   mouse                     buttons with their key-state bits over the viewport; a move
//                             leaving the viewport with the left button held as
//                             NC_MOUSE_MOVE, a release there is not delivered; every move
//                             over the window (bars included) first gives NC_HIT_TEST;
//                             wheel notches of 120 anywhere over the window
//   dropped files             local files only, each name in both path forms
//                             (text/pathconv.h), with the drop point in the viewport
//   clipboard                 QClipboard's text, which Qt copies; no DESTROY_CLIPBOARD
//                             (nothing of ours stays with the clipboard)
//   cursors                   Qt's arrow, cross, wait, forbidden, size-all, diagonal
//                             (north-west to south-east), vertical, horizontal cursors;
//                             the hand from the AND/XOR planes as bitmap and mask
//   dispatch, wait            processEvents; the wait sleeps in Qt's event loop until an
//                             event or its time comes, so an idle window costs no CPU
//
// The QApplication is the dialogs' one (qtEnsureApplication of backends/qt/qt_dialogs.h),
// made when the first window or cursor is needed: without a display the process ends
// there with one line on standard error and status 1.
#pragma once

#include "display/backend.h"

// The platform table (the display of backends/qt/qt_backend.h). Nothing of Qt starts here.
const DisplayPlatform* qtWindowPlatform();
// The window's widget (a QAbstractScrollArea*), or null when no window exists.
void* qtWindowWidget();
