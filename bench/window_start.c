// Time from starting a program to its window showing drawn pixels, and the CPU the program
// then uses while it waits, on an X display (Xvfb in bench/window.sh).
//
// Usage: window_start TITLE IDLE_SECONDS PROGRAM [ARGS...]
//   Starts PROGRAM, polls every millisecond for a viewable top-level window named TITLE
//   whose top-left 64 x 40 pixels are no longer all black (the file name drawn on the
//   report's second line),
//   prints "first-paint-ms N", then watches the idle program for IDLE_SECONDS and prints
//   "idle-cpu-percent P" (user + system time over wall time), and ends it with SIGTERM.
// Exit status 0, or 1 when the window did not show within 20 seconds.
#define _DEFAULT_SOURCE // usleep
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double nowMs(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

// A viewable child of the root named title, or 0.
static Window findWindow(Display* display, const char* title) {
  Window root = DefaultRootWindow(display), parent, *children = NULL;
  unsigned count = 0;
  Window found = 0;
  if (!XQueryTree(display, root, &root, &parent, &children, &count))
    return 0;
  for (unsigned i = 0; i < count && found == 0; ++i) {
    XTextProperty name; // Qt writes it as UTF8_STRING, which XFetchName does not read
    XWindowAttributes attributes;
    if (XGetWMName(display, children[i], &name) && name.value != NULL) {
      if (strcmp((const char*)name.value, title) == 0 &&
          XGetWindowAttributes(display, children[i], &attributes) &&
          attributes.map_state == IsViewable)
        found = children[i];
      XFree(name.value);
    }
  }
  if (children != NULL)
    XFree(children);
  return found;
}

static int drawn(Display* display, Window window) {
  XImage* image = XGetImage(display, window, 0, 0, 64, 40, AllPlanes, ZPixmap);
  int ink = 0;
  if (image == NULL)
    return 0;
  for (int y = 0; y < image->height && !ink; ++y)
    for (int x = 0; x < image->width && !ink; ++x)
      ink = (XGetPixel(image, x, y) & 0xFFFFFF) != 0;
  XDestroyImage(image);
  return ink;
}

// User plus system clock ticks of a process.
static long cpuTicks(pid_t pid) {
  char path[64], buffer[1024];
  snprintf(path, sizeof path, "/proc/%d/stat", (int)pid);
  FILE* f = fopen(path, "r");
  if (f == NULL)
    return -1;
  size_t n = fread(buffer, 1, sizeof buffer - 1, f);
  fclose(f);
  buffer[n] = '\0';
  char* p = strrchr(buffer, ')'); // the name may hold blanks
  long utime = 0, stime = 0;
  if (p == NULL ||
      sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld", &utime, &stime) != 2)
    return -1;
  return utime + stime;
}

static int ignoreErrors(Display* display, XErrorEvent* error) {
  (void)display;
  (void)error;
  return 0; // a window may vanish between the query and the look
}

int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: window_start TITLE IDLE_SECONDS PROGRAM [ARGS...]\n");
    return 2;
  }
  Display* display = XOpenDisplay(NULL);
  if (display == NULL) {
    fprintf(stderr, "window_start: no display\n");
    return 2;
  }
  XSetErrorHandler(ignoreErrors);
  const double start = nowMs();
  pid_t pid = fork();
  if (pid == 0) {
    execvp(argv[3], argv + 3);
    _exit(127);
  }
  Window window = 0;
  double shown = -1;
  while (nowMs() - start < 20000) {
    if (window == 0)
      window = findWindow(display, argv[1]);
    if (window != 0 && drawn(display, window)) {
      shown = nowMs() - start;
      break;
    }
    usleep(1000);
  }
  int status = 0;
  if (shown < 0) {
    fprintf(stderr, "window_start: no window named \"%s\" showed\n", argv[1]);
    status = 1;
  } else {
    printf("first-paint-ms %.1f\n", shown);
    const double idleSeconds = atof(argv[2]);
    if (idleSeconds > 0) {
      usleep(500000); // let the first report settle
      const long before = cpuTicks(pid);
      const double from = nowMs();
      usleep((useconds_t)(idleSeconds * 1e6));
      const long after = cpuTicks(pid);
      const double wall = (nowMs() - from) / 1000.0;
      printf("idle-cpu-percent %.2f\n", 100.0 * (after - before) / sysconf(_SC_CLK_TCK) / wall);
    }
  }
  kill(pid, SIGTERM);
  waitpid(pid, NULL, 0);
  XCloseDisplay(display);
  return status;
}
