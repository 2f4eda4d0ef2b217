#include "text/trace.h"

int trace(const char* /*fmt*/, ...) {
  return 0;
}
