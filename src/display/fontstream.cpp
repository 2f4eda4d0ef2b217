#include "display/fontstream.h"

#include "text/files.h"
#include "text/trace.h"

#include <climits>

int rfstreamopen(FT_Stream stream, const char16_t* widePath) {
  if (stream == nullptr)
    return FT_Err_Invalid_Stream_Handle;
  stream->descriptor.pointer = nullptr;
  stream->base = nullptr;
  stream->pos = 0;
  stream->read = nullptr;
  stream->close = nullptr;
  stream->pathname.pointer = const_cast<char16_t*>(widePath);
  if (widePath == nullptr || rfopenW(widePath) != 0) {
    trace("rfstreamopen: the font file does not open\n");
    return FT_Err_Cannot_Open_Resource;
  }
  int64_t size = -1;
  if (rfseekfrom(0, 2) == 0)
    size = rftell();
  if (size <= 0 || static_cast<uint64_t>(size) > ULONG_MAX || rfseekfrom(0, 0) != 0) {
    trace("rfstreamopen: the font file is empty or cannot be measured\n");
    rfclose();
    return FT_Err_Cannot_Open_Stream;
  }
  stream->size = static_cast<unsigned long>(size);
  stream->descriptor.value = static_cast<long>(rfhandle());
  stream->read = rfstreamread;
  stream->close = rfstreamclose;
  return 0;
}

unsigned long rfstreamread(FT_Stream stream, unsigned long offset, unsigned char* buffer,
                           unsigned long count) {
  if (count == 0 && offset > stream->size)
    return 1;
  // Compared with the reader's own position rather than the stream's: that is where the
  // next rfread takes its bytes from.
  if (static_cast<int64_t>(offset) != rftell() && rfseek(static_cast<int64_t>(offset)) != 0) {
    trace("rfstreamread: seek to %lu failed\n", offset);
    return count == 0 ? 1 : 0; // a failed seek is never reported as done
  }
  unsigned long delivered = 0;
  while (delivered < count) {
    unsigned long part = count - delivered;
    if (part > static_cast<unsigned long>(INT_MAX))
      part = static_cast<unsigned long>(INT_MAX);
    int got = rfread(buffer + delivered, static_cast<int>(part));
    if (got <= 0)
      break;
    delivered += static_cast<unsigned long>(got);
    if (static_cast<unsigned long>(got) < part)
      break;
  }
  return delivered;
}

void rfstreamclose(FT_Stream stream) {
  rfclose();
  stream->descriptor.pointer = nullptr;
  stream->size = 0;
  stream->base = nullptr;
}
