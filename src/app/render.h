// kinetrace --render: the report of the file just checked, drawn as the window's surface
// would hold it and written as a BMP picture.
#pragma once

// Renders the current report (gReport, gFile's names) into the picture at utf8Path, with
// the font beside the program. Returns 0, or 1 after saying on standard error what failed
// (no font, no picture written).
int renderCheckedReport(const char* utf8Path);
