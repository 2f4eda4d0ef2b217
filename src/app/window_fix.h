// F in the report window: the corrected copy of the motion shown, written beside it as
// <name>_fixed.vmd (then _fixed(2) … _fixed(99)), never over an existing file; when the
// motion's folder takes no file, into the captures' fallback folder. The copy joins the
// argument lists, so that its report follows as a dropped file's would. A motion with
// nothing to correct gets no copy.
#pragma once

// The viewer's fix handler (ViewerFixHandler of display/viewer.h).
int fixShownMotion(char* note, int noteSize);
