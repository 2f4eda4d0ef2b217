// Writes a synthetic VMD 0002 motion of any size for the benchmarks: a dance-like motion in
// which every frame keys the same 60 bones (main skeleton, arms and twist bones, fingers,
// hair and skirt bones that wildcard entries catch, and bones no built-in table knows),
// followed by morph keys over 20 morphs. Values come from a fixed pseudo-random sequence,
// so the same arguments always give the same bytes.
//
// Usage: gen_motion OUTPUT [BONE_KEYS [MORPH_KEYS [SEED [distinct]]]]
//        (defaults 2000000, 200000 and 0; another seed gives other values, same names)
// With "distinct" every key gets a name of its own, as some generators write them: the
// same layout and size, names that no built-in table knows, and both lists overflow once
// a motion has more than about 16,000 keys of a kind.
// Standalone on purpose (glibc iconv for Shift-JIS): the benchmark must not depend on the
// code it measures.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iconv.h>

namespace {

constexpr int NAME_SIZE = 15;

const char* const kBoneNames[] = {
    "センター", "グルーブ",   "全ての親",   "上半身",       "上半身2",      "下半身",   "首",
    "頭",       "左目",       "右目",       "両目",         "左肩",         "右肩",     "左腕",
    "右腕",     "左ひじ",     "右ひじ",     "左腕捩",       "右腕捩",       "左手捩",   "右手捩",
    "左手首",   "右手首",     "左足",       "右足",         "左ひざ",       "右ひざ",   "左足首",
    "右足首",   "左足ＩＫ",   "右足ＩＫ",   "左つま先ＩＫ", "右つま先ＩＫ", "腰",       "左親指１",
    "左親指２", "左人指１",   "左人指２",   "左人指３",     "右親指１",     "右親指２", "右人指１",
    "右人指２", "右人指３",   "左中指１",   "右中指１",     "髪1",          "髪2",      "前髪1",
    "後髪1",    "スカート前", "スカート後", "左胸1",        "右胸1",        "左目先",   "ポニテ1",
    "ポニテ2",  "しっぽ1",    "リボン",     "アクセ親",
};
static_assert(sizeof kBoneNames / sizeof kBoneNames[0] == 60, "60 bones per frame");

const char* const kMorphNames[] = {
    "あ",   "い",       "う",     "お",       "まばたき", "笑い",   "ウィンク",
    "困る", "怒り",     "にこり", "びっくり", "照れ",     "じと目", "はちゅ目",
    "瞳小", "口角上げ", "メガネ", "ほほ染め", "青ざめ",   "舌出し",
};
static_assert(sizeof kMorphNames / sizeof kMorphNames[0] == 20, "20 morphs");

constexpr int kBoneCount = 60;
constexpr int kMorphCount = 20;

char gBoneSjis[kBoneCount][NAME_SIZE];
char gMorphSjis[kMorphCount][NAME_SIZE];

// Shift-JIS into a NUL-padded field; false when the name does not convert or fit.
bool toSjis(char* field, const char* utf8) {
  iconv_t cd = iconv_open("SHIFT_JIS", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1))
    return false;
  char in[64];
  std::snprintf(in, sizeof in, "%s", utf8);
  char* src = in;
  size_t srcLeft = std::strlen(in);
  char* dst = field;
  size_t dstLeft = NAME_SIZE;
  std::memset(field, 0, NAME_SIZE);
  size_t done = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  return done != static_cast<size_t>(-1) && srcLeft == 0;
}

// Prefixes of the distinct names: Shift-JIS, NUL-padded.
char gBonePrefix[NAME_SIZE];
char gMorphPrefix[NAME_SIZE];

// The prefix and the key's number in seven digits, e.g. 表情0001234: a name per key.
void distinctName(unsigned char* field, const char* prefix, long key) {
  char text[NAME_SIZE + 8];
  std::snprintf(text, sizeof text, "%s%07ld", prefix, key % 10000000);
  std::memset(field, 0, NAME_SIZE);
  std::memcpy(field, text, std::strlen(text) < NAME_SIZE ? std::strlen(text) : NAME_SIZE);
}

// xorshift64*: fixed seed, so every run writes the same file.
uint64_t gState = 0x9E3779B97F4A7C15ull;
double nextUnit() {
  gState ^= gState >> 12;
  gState ^= gState << 25;
  gState ^= gState >> 27;
  return static_cast<double>((gState * 0x2545F4914F6CDD1Dull) >> 11) / 9007199254740992.0;
}

void put32(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

void putFloat(unsigned char* p, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  put32(p, bits);
}

// A rotation of up to about 180 degrees about a random axis, w sometimes negative.
void randomRotation(float q[4]) {
  double ax = nextUnit() - 0.5, ay = nextUnit() - 0.5, az = nextUnit() - 0.5;
  double n = std::sqrt(ax * ax + ay * ay + az * az);
  if (n < 1e-9) {
    ax = 1.0;
    n = 1.0;
  }
  double half = (nextUnit() - 0.5) * 3.1;
  double s = std::sin(half) / n;
  q[0] = static_cast<float>(ax * s);
  q[1] = static_cast<float>(ay * s);
  q[2] = static_cast<float>(az * s);
  q[3] = static_cast<float>(std::cos(half));
}

bool writeAll(std::FILE* out, const void* data, size_t size) {
  return std::fwrite(data, 1, size, out) == size;
}

long parseCount(const char* text) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || v < 0 || v > 2000000000L)
    return -1;
  return v;
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 6 || (argc == 6 && std::strcmp(argv[5], "distinct") != 0)) {
    std::fprintf(stderr, "usage: gen_motion OUTPUT [BONE_KEYS [MORPH_KEYS [SEED [distinct]]]]\n");
    return 2;
  }
  const bool distinct = argc == 6;
  long boneKeys = argc > 2 ? parseCount(argv[2]) : 2000000;
  long morphKeys = argc > 3 ? parseCount(argv[3]) : 200000;
  long seed = argc > 4 ? parseCount(argv[4]) : 0;
  if (boneKeys < 0 || morphKeys < 0 || seed < 0) {
    std::fprintf(stderr, "gen_motion: counts and seed are whole numbers up to 2000000000\n");
    return 2;
  }
  gState += static_cast<uint64_t>(seed) * 0x9E3779B97F4A7C15ull;
  for (int i = 0; i < kBoneCount; ++i) {
    if (!toSjis(gBoneSjis[i], kBoneNames[i])) {
      std::fprintf(stderr, "gen_motion: bone name %d does not convert\n", i);
      return 1;
    }
  }
  if (!toSjis(gBonePrefix, "揺れ骨") || !toSjis(gMorphPrefix, "表情")) {
    std::fprintf(stderr, "gen_motion: name prefixes do not convert\n");
    return 1;
  }
  for (int i = 0; i < kMorphCount; ++i) {
    if (!toSjis(gMorphSjis[i], kMorphNames[i])) {
      std::fprintf(stderr, "gen_motion: morph name %d does not convert\n", i);
      return 1;
    }
  }

  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) {
    std::fprintf(stderr, "gen_motion: cannot write %s: %s\n", argv[1], std::strerror(errno));
    return 1;
  }
  static char outBuffer[1 << 20];
  setvbuf(out, outBuffer, _IOFBF, sizeof outBuffer);

  unsigned char header[50] = {};
  std::memcpy(header, "Vocaloid Motion Data 0002", 25);
  char model[NAME_SIZE + 5] = {};
  toSjis(model, "ベンチ用モデル");
  std::memcpy(header + 30, model, NAME_SIZE);
  bool ok = writeAll(out, header, sizeof header);

  unsigned char count[4];
  put32(count, static_cast<uint32_t>(boneKeys));
  ok = ok && writeAll(out, count, 4);
  // Linear interpolation in the four shifted rows, as MMD writes it.
  const unsigned char row[16] = {20,  20,  0,   0,   20,  20,  20,  20,
                                 107, 107, 107, 107, 107, 107, 107, 107};
  unsigned char record[111] = {};
  for (int r = 0; r < 4; ++r)
    std::memcpy(record + 47 + 16 * r, row + r, static_cast<size_t>(16 - r));
  for (long k = 0; ok && k < boneKeys; ++k) {
    int bone = static_cast<int>(k % kBoneCount);
    if (distinct)
      distinctName(record, gBonePrefix, k);
    else
      std::memcpy(record, gBoneSjis[bone], NAME_SIZE);
    put32(record + 15, static_cast<uint32_t>(k / kBoneCount));
    for (int i = 0; i < 3; ++i)
      putFloat(record + 19 + 4 * i, static_cast<float>((nextUnit() - 0.5) * 4.0));
    float q[4];
    randomRotation(q);
    for (int i = 0; i < 4; ++i)
      putFloat(record + 31 + 4 * i, q[i]);
    ok = writeAll(out, record, sizeof record);
  }

  put32(count, static_cast<uint32_t>(morphKeys));
  ok = ok && writeAll(out, count, 4);
  unsigned char morph[23];
  for (long k = 0; ok && k < morphKeys; ++k) {
    int m = static_cast<int>(k % kMorphCount);
    if (distinct)
      distinctName(morph, gMorphPrefix, k);
    else
      std::memcpy(morph, gMorphSjis[m], NAME_SIZE);
    put32(morph + 15, static_cast<uint32_t>(k / kMorphCount));
    putFloat(morph + 19, static_cast<float>(nextUnit()));
    ok = writeAll(out, morph, sizeof morph);
  }

  // Camera, light, self-shadow and show-and-IK blocks: empty.
  put32(count, 0);
  for (int i = 0; ok && i < 4; ++i)
    ok = writeAll(out, count, 4);
  if (std::fclose(out) != 0 || !ok) {
    std::fprintf(stderr, "gen_motion: writing %s failed\n", argv[1]);
    return 1;
  }
  return 0;
}
