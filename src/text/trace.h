// The diagnostic trace: one entry point that the whole program calls with progress and
// error texts. It is silent by design: nothing it receives is user-visible, and it always
// returns 0, so callers may keep calling it wherever a message helps a reader of the code.
#pragma once

int trace(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
