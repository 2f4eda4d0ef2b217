// The report window on Win32: the DisplayPlatform of display/surface.h over one native
// window of the class "gint". Every message the window gets goes, as a WindowMessage, to
// the toolkit-free window procedure (display/window.h); what it does not handle goes to
// DefWindowProcA.
//
//   notion                 here
//   the window             RegisterClassExA "gint" (no class styles, icon resource 128 of
//                          the executable or IDI_APPLICATION, the arrow, a brush of the
//                          surface's background colour), CreateWindowExA with
//                          WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL
//   painting               BeginPaint/EndPaint around PAINT with the update rectangle;
//                          the page goes to the window by SetDIBitsToDevice, the part of
//                          the rectangle beyond the page gets the class brush
//   scrolling              SetScrollRange/SetScrollPos/ShowScrollBar on the window's own
//                          bars, ScrollWindow (after any pending paint); a thumb
//                          position is the one the message carries
//   dispatch, wait         PeekMessageA/TranslateMessage/DispatchMessageA until the queue
//                          is empty; MsgWaitForMultipleObjectsEx, which returns at once
//                          when input is waiting
//   cursors                LoadCursorA, CreateCursor (the 32 x 32 planes in the top-left
//                          of a cell of the system cursor size), SetClassLongPtrA
//                          (GCLP_HCURSOR), SetCursor
//   clipboard              CF_OEMTEXT in movable global memory
//   dropped files          the HDROP of WM_DROPFILES: DragQueryFileW gives the UTF-16
//                          form, DragQueryFileA the system code page's, as they are
#pragma once

#include "display/backend.h"

// The platform table; nothing is registered or created until the window is made.
const DisplayPlatform* win32WindowPlatform();
// The window's HWND, or null when no window exists.
void* win32WindowHandle();
