/* The floor of a one-pass VMD reader, for comparison with kinetrace --json: read the file
 * through 8 KB read() calls, decode every bone and morph record, and (unless --decode-only)
 * look each name up in a hash table and keep per-name statistics of the same kind as the
 * checker's (key count, frame range, moved flag, largest translation and rotation, weight
 * range). It prints a one-line summary so that no work can be optimised away.
 *
 * Usage: floor [--decode-only] FILE.vmd
 * Exit status 0, or 1 when the file cannot be read or is not a VMD 0002 motion. */
#include <fcntl.h>
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

enum { CHUNK = 8192, NAME = 15, SLOTS = 65536 };

/* Read-ahead: bytes [pos, end) of buf are unread; a record that straddles two reads is
 * moved to the front first, so every record is contiguous. */
static unsigned char buf[CHUNK + 128];
static int pos, end, fd, ended;

/* Pointer to the next n (at most 128) bytes, or NULL at the end of the file. */
static const unsigned char* take(int n) {
  if (end - pos < n) {
    int have = end - pos;
    memmove(buf, buf + pos, (size_t)have);
    pos = 0;
    end = have;
    while (end < n && !ended) {
      ssize_t got = read(fd, buf + end, CHUNK);
      if (got <= 0)
        ended = 1;
      else
        end += (int)got;
    }
    if (end < n)
      return NULL;
  }
  const unsigned char* p = buf + pos;
  pos += n;
  return p;
}

static int32_t get32(const unsigned char* p) {
  return (int32_t)((uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 |
                   (uint32_t)p[3] << 24);
}

static float getf(const unsigned char* p) {
  uint32_t bits = (uint32_t)get32(p);
  float f;
  memcpy(&f, &bits, sizeof f);
  return f;
}

struct Slot {
  char name[NAME + 1];
  uint8_t used, list, moved;
  int32_t keys, first, last;
  float maxT, maxR, minW, maxW;
};
static struct Slot table[SLOTS];
static int distinct;

static struct Slot* lookup(const unsigned char* raw, int list) {
  char name[NAME + 1];
  int n = 0;
  while (n < NAME && raw[n] != 0) {
    name[n] = (char)raw[n];
    n++;
  }
  name[n] = 0;
  uint32_t h = 2166136261u ^ (uint32_t)list;
  for (int i = 0; i < n; i++)
    h = (h ^ (unsigned char)name[i]) * 16777619u;
  for (uint32_t probe = 0; probe < SLOTS; probe++) {
    struct Slot* s = &table[(h + probe) & (SLOTS - 1)];
    if (!s->used) {
      memcpy(s->name, name, (size_t)n + 1);
      s->used = 1;
      s->list = (uint8_t)list;
      s->first = 999999;
      s->last = -1;
      s->minW = 999.9f;
      s->maxW = -999.9f;
      distinct++;
      return s;
    }
    if (s->list == list && strcmp(s->name, name) == 0)
      return s;
  }
  return NULL;
}

static void frames(struct Slot* s, int32_t f) {
  s->keys++;
  if (f < s->first)
    s->first = f;
  if (f > s->last)
    s->last = f;
}

int main(int argc, char** argv) {
  int decodeOnly = argc == 3 && strcmp(argv[1], "--decode-only") == 0;
  if (argc != 2 + decodeOnly) {
    fprintf(stderr, "usage: floor [--decode-only] FILE.vmd\n");
    return 1;
  }
  fd = open(argv[argc - 1], O_RDONLY);
  if (fd < 0) {
    perror(argv[argc - 1]);
    return 1;
  }
  const unsigned char* p = take(54);
  if (p == NULL || memcmp(p, "Vocaloid Motion Data 0002", 25) != 0) {
    fprintf(stderr, "floor: not a VMD 0002 motion\n");
    return 1;
  }
  int32_t bones = get32(p + 50), morphs = 0, readBones = 0, readMorphs = 0;
  double checksum = 0.0;
  for (int32_t k = 0; k < bones && (p = take(111)) != NULL; k++, readBones++) {
    int32_t f = get32(p + 15);
    float px = getf(p + 19), py = getf(p + 23), pz = getf(p + 27);
    float qx = getf(p + 31), qy = getf(p + 35), qz = getf(p + 39), qw = getf(p + 43);
    if (decodeOnly) {
      checksum += (double)f + px + qw + p[0];
      continue;
    }
    struct Slot* s = lookup(p, 0);
    if (s == NULL)
      continue;
    frames(s, f);
    if (fabsf(px) > 0.01f || fabsf(py) > 0.01f || fabsf(pz) > 0.01f || fabsf(qx) > 0.01f ||
        fabsf(qy) > 0.01f || fabsf(qz) > 0.01f)
      s->moved = 1;
    /* The length of the vector part does not depend on the sign rule for q and -q. */
    double t = sqrt((double)px * px + (double)py * py + (double)pz * pz);
    double r = sqrt((double)qx * qx + (double)qy * qy + (double)qz * qz);
    (void)qw;
    if (s->maxT < (float)t)
      s->maxT = (float)t;
    if (s->maxR < (float)r)
      s->maxR = (float)r;
  }
  if ((p = take(4)) != NULL)
    morphs = get32(p);
  for (int32_t k = 0; p != NULL && k < morphs && (p = take(23)) != NULL; k++, readMorphs++) {
    int32_t f = get32(p + 15);
    float w = getf(p + 19);
    if (decodeOnly) {
      checksum += (double)f + w + p[0];
      continue;
    }
    struct Slot* s = lookup(p, 1);
    if (s == NULL)
      continue;
    frames(s, f);
    if (w < s->minW)
      s->minW = w;
    if (w > s->maxW)
      s->maxW = w;
  }
  close(fd);
  for (int i = 0; i < SLOTS; i++) {
    if (table[i].used)
      checksum += table[i].keys + table[i].maxT + table[i].maxR + table[i].last;
  }
  printf("bones %d morphs %d names %d checksum %.6g\n", readBones, readMorphs, distinct, checksum);
  return 0;
}
