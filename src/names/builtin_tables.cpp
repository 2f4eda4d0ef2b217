#include "names/builtin_tables.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "names/builtin_names_generated.h"
#include "names/namelist.h"
#include "text/trace.h"

// Sections: Tables (UTF-8, in registration order), Shift-JIS forms, Registered state,
// Registration.

namespace {

// ---- Tables (UTF-8, in registration order) ----
// The comment on each row is the entry number the name receives in its list.

constexpr const char* kMainBones[] = {
    "操作中心",     // 1: group 1 starts
    "全ての親",     // 2
    "センター",     // 3
    "グルーブ",     // 4
    "左肩",         // 5
    "左腕",         // 6
    "左腕捩",       // 7: 左腕捩, registered twice
    "左ひじ",       // 8
    "左手捩",       // 9
    "左手首",       // 10
    "右肩",         // 11
    "右腕",         // 12
    "右腕捩",       // 13
    "右ひじ",       // 14
    "右手捩",       // 15
    "右手首",       // 16
    "左肩P",        // 17
    "右肩P",        // 18
    "左目",         // 19
    "右目",         // 20
    "両目",         // 21
    "頭",           // 22
    "首",           // 23
    "上半身",       // 24
    "上半身2",      // 25
    "上半身２",     // 26
    "上半身3",      // 27
    "下半身",       // 28
    "腰",           // 29
    "左足",         // 30
    "左ひざ",       // 31
    "左足首",       // 32
    "右足",         // 33
    "右ひざ",       // 34
    "右足首",       // 35
    "左肩C",        // 36
    "右肩C",        // 37
    "左足D",        // 38
    "左ひざD",      // 39
    "左足首D",      // 40
    "左足先EX",     // 41
    "右足D",        // 42
    "右ひざD",      // 43
    "右足首D",      // 44
    "右足先EX",     // 45
    "左腕ＩＫ",     // 46
    "右腕ＩＫ",     // 47
    "左足ＩＫ",     // 48
    "右足ＩＫ",     // 49
    "左つま先ＩＫ", // 50
    "右つま先ＩＫ", // 51
    "左足IK親",     // 52
    "右足IK親",     // 53
    "左足ＩＫ親",   // 54
    "右足ＩＫ親",   // 55
    "左親指０",     // 56
    "右親指０",     // 57
    "左足_+",       // 58
    "右足_+",       // 59
    "左腕_+",       // 60
    "右腕_+",       // 61
};

constexpr const char* kFingerBones[] = {
    "左親指１", // 62: group 2 starts
    "左親指２", // 63
    "左人指１", // 64
    "左人指２", // 65
    "左人指３", // 66
    "左中指１", // 67
    "左中指２", // 68
    "左中指３", // 69
    "左薬指１", // 70
    "左薬指２", // 71
    "左薬指３", // 72
    "左小指１", // 73
    "左小指２", // 74
    "左小指３", // 75
    "右親指１", // 76
    "右親指２", // 77
    "右人指１", // 78
    "右人指２", // 79
    "右人指３", // 80
    "右中指１", // 81
    "右中指２", // 82
    "右中指３", // 83
    "右薬指１", // 84
    "右薬指２", // 85
    "右薬指３", // 86
    "右小指１", // 87
    "右小指２", // 88
    "右小指３", // 89: last finger bone
};

constexpr const char* kIgnoredBonesLookedUp[] = {
    "左目先",         // 90: exact, but 左目* (332) wins for 左目先
    "右目先",         // 91
    "両目先",         // 92
    "視線先",         // 93
    "左ダミー",       // 94
    "右ダミー",       // 95
    "左手ダミー",     // 96
    "右手ダミー",     // 97
    "左足先ダミー",   // 98
    "右足先ダミー",   // 99
    "左踵ダミー",     // 100
    "右踵ダミー",     // 101
    "左胸1",          // 102
    "左胸2",          // 103
    "左胸１",         // 104
    "左胸２",         // 105
    "右胸1",          // 106
    "右胸2",          // 107
    "右胸１",         // 108
    "右胸２",         // 109
    "左腕捩1",        // 110
    "左腕捩2",        // 111
    "左腕捩3",        // 112
    "左腕捩１",       // 113
    "左腕捩２",       // 114
    "左腕捩３",       // 115
    "左手捩1",        // 116
    "左手捩2",        // 117
    "左手捩3",        // 118
    "左手捩１",       // 119
    "左手捩２",       // 120
    "左手捩３",       // 121
    "右腕捩1",        // 122
    "右腕捩2",        // 123
    "右腕捩3",        // 124
    "右腕捩１",       // 125
    "右腕捩２",       // 126
    "右腕捩３",       // 127
    "右手捩1",        // 128
    "右手捩2",        // 129
    "右手捩3",        // 130
    "右手捩１",       // 131
    "右手捩２",       // 132
    "右手捩３",       // 133
    "左腕捩軸",       // 134
    "右腕捩軸",       // 135
    "頭先",           // 136
    "左腕S先",        // 137
    "右腕S先",        // 138
    "左手先",         // 139
    "右手先",         // 140
    "左手首S先",      // 141
    "右手首S先",      // 142
    "左親指先",       // 143
    "右親指先",       // 144
    "左親指２先",     // 145
    "右親指２先",     // 146
    "左人指先",       // 147
    "右人指先",       // 148
    "左中指先",       // 149
    "右中指先",       // 150
    "左薬指先",       // 151
    "右薬指先",       // 152
    "左小指先",       // 153
    "右小指先",       // 154
    "左人差指先",     // 155
    "右人差指先",     // 156
    "視線IK親",       // 157
    "視線IK親2",      // 158
    "髪親",           // 159
    "髮親",           // 160
    "イヤホン親",     // 161
    "胸飾り親",       // 162
    "腰パーツ親",     // 163
    "口親",           // 164
    "頭親1",          // 165
    "上半身親1",      // 166
    "左袖親",         // 167
    "右袖親",         // 168
    "腕輪親",         // 169
    "腕輪補助",       // 170
    "ベル*",          // 171: ベル*
    "センター先",     // 172
    "上半身2先",      // 173
    "下半身先",       // 174
    "左鎖骨先",       // 175
    "右鎖骨先",       // 176
    "左腕捩先",       // 177
    "右腕捩先",       // 178
    "左手捩先",       // 179
    "右手捩先",       // 180
    "頭リボン先",     // 181
    "襟先",           // 182
    "肩当て先",       // 183
    "後ろ房先",       // 184
    "左ピアス先",     // 185
    "右ピアス先",     // 186
    "左肩S先",        // 187
    "右肩S先",        // 188
    "左袖先",         // 189
    "右袖先",         // 190
    "左ひじ袖先",     // 191
    "右ひじ袖先",     // 192
    "左ひじS先",      // 193
    "右ひじS先",      // 194
    "左手W先",        // 195
    "右手W先",        // 196
    "左足首先",       // 197
    "右足首先",       // 198
    "左足補助先",     // 199
    "右足補助先",     // 200
    "左足DS先",       // 201
    "右足DS先",       // 202
    "左足ＩＫ先",     // 203
    "右足ＩＫ先",     // 204
    "左つま先ＩＫ先", // 205
    "右つま先ＩＫ先", // 206
    "前1",            // 207
    "前2",            // 208
    "前3",            // 209
    "default",        // 210
    "新規ボーン1",    // 211: last entry looked up before adding
};

constexpr const char* kIgnoredBonesAppended[] = {
    "スカート*",      // 212: first entry appended without lookup
    "ｽｶｰﾄ*",          // 213
    "左スカート*",    // 214
    "右スカート*",    // 215
    "左ｽｶｰﾄ*",        // 216
    "右ｽｶｰﾄ*",        // 217
    "左CFｽｶｰ*",       // 218
    "右CFｽｶｰ*",       // 219
    "左CRｽｶｰ*",       // 220
    "右CRｽｶｰ*",       // 221
    "前ｽｶｰﾄ",         // 222
    "前ｽｶｰﾄ*",        // 223
    "前上ＳＫ",       // 224
    "前下ＳＫ",       // 225
    "後上ＳＫ",       // 226
    "後下ＳＫ",       // 227
    "腰布_*",         // 228
    "左鉢巻*",        // 229
    "右鉢巻*",        // 230
    "前草摺*",        // 231
    "髪*",            // 232
    "おさげ*",        // 233
    "左おさげ*",      // 234
    "右おさげ*",      // 235
    "左髪",           // 236
    "左髪*",          // 237
    "右髪",           // 238
    "右髪*",          // 239
    "上髪*",          // 240
    "左上髪*",        // 241
    "右上髪*",        // 242
    "前髪",           // 243
    "前髪*",          // 244
    "後髪",           // 245
    "後髪*",          // 246
    "後ろ髪",         // 247
    "中前髪*",        // 248
    "中後髪*",        // 249
    "左髮*",          // 250
    "右髮*",          // 251
    "前髮*",          // 252
    "後髮*",          // 253
    "中後髮*",        // 254
    "左前*",          // 255
    "左横*",          // 256
    "左後*",          // 257
    "右前*",          // 258
    "右横*",          // 259
    "右後*",          // 260
    "左お下げ*",      // 261
    "右お下げ*",      // 262
    "左三つ編*",      // 263
    "右三つ編*",      // 264
    "ツインテ親",     // 265
    "左ツインテ*",    // 266
    "右ツインテ*",    // 267
    "サイド*",        // 268
    "poni",           // 269
    "poni*",          // 270
    "左ポニテリボ*",  // 271
    "右ポニテリボ*",  // 272
    "スカーフ*",      // 273
    "ﾏﾌﾗｰ",           // 274
    "フード*",        // 275
    "左フード*",      // 276
    "右フード*",      // 277
    "左パーカ*",      // 278
    "右パーカ*",      // 279
    "上着_*",         // 280
    "ジャケ*",        // 281
    "シャツ*",        // 282
    "左シャツ*",      // 283
    "右シャツ*",      // 284
    "左斜前上シャツ", // 285
    "右斜前上シャツ", // 286
    "左斜前下シャツ", // 287
    "右斜前下シャツ", // 288
    "左斜後上シャツ", // 289
    "右斜後上シャツ", // 290
    "左斜後下シャツ", // 291
    "右斜後下シャツ", // 292
    "背中長紐*",      // 293
    "カソック*",      // 294
    "左紐*",          // 295
    "右紐*",          // 296
    "胸飾り紐*",      // 297
    "背中紐輪",       // 298
    "左背中防具*",    // 299
    "右背中防具*",    // 300
    "帽子羽",         // 301
    "+帽子羽",        // 302
    "左腰羽*",        // 303
    "右腰羽*",        // 304
    "左腰紐*",        // 305
    "右腰紐*",        // 306
    "靴ひも*",        // 307
    "左靴紐*",        // 308
    "右靴紐*",        // 309
    "左ベル*",        // 310
    "右ベル*",        // 311
    "腰ベル*",        // 312
    "左腰ベル*",      // 313
    "右腰ベル*",      // 314
    "腕ベル*",        // 315
    "黒ﾍﾞﾙ*",         // 316
    "腰リボ*",        // 317
    "左腰リボ*",      // 318
    "右腰リボ*",      // 319
    "左腕リボ*",      // 320
    "右腕リボ*",      // 321
    "首リボ*",        // 322
    "服リボ*",        // 323
    "左ブーツリボ*",  // 324
    "右ブーツリボ*",  // 325
    "左脚リボ*",      // 326
    "右脚リボ*",      // 327
    "左足？リボ*",    // 328
    "右足？リボ*",    // 329
    "左眉*",          // 330
    "右眉*",          // 331
    "左目*",          // 332: 左目*: the highest match for 左目先
    "右目*",          // 333
    "歯上*",          // 334
    "歯下*",          // 335
    "左乳",           // 336
    "左乳*",          // 337
    "右乳",           // 338
    "右乳*",          // 339
    "左ひじ先tgt",    // 340
    "右ひじ先tgt",    // 341
    "左ひじsub",      // 342
    "左ひじsub*",     // 343
    "右ひじsub",      // 344
    "右ひじsub*",     // 345
    "左ひざsub",      // 346
    "左ひざsub*",     // 347
    "右ひざsub",      // 348
    "右ひざsub*",     // 349
    "左もみあげ*",    // 350
    "右もみあげ*",    // 351
    "後ろ髪*",        // 352
    "アホ毛",         // 353
    "アホ毛*",        // 354
    "あほ毛*",        // 355
    "ハネ毛",         // 356
    "左羽毛",         // 357
    "左羽毛*",        // 358
    "右羽毛",         // 359
    "右羽毛*",        // 360
    "左触覚*",        // 361
    "右触覚*",        // 362
    "hair*",          // 363
    "fhair*",         // 364
    "左Hair*",        // 365
    "右Hair*",        // 366: 右Hair*, stored again as 375
    "左HA*",          // 367
    "左HB*",          // 368
    "左HC*",          // 369
    "左HZ*",          // 370
    "右HA*",          // 371
    "右HB*",          // 372
    "右HC*",          // 373
    "右HZ*",          // 374
    "右Hair*",        // 375: 右Hair* again (no lookup)
    "左Tai*",         // 376
    "右Tai*",         // 377
    "TIE*",           // 378
    "D1",             // 379
    "D2",             // 380
    "D3",             // 381
    "D4",             // 382
    "D5",             // 383
    "D6",             // 384
    "D7",             // 385
    "D8",             // 386
    "D9",             // 387
    "S_*",            // 388
    "S0*",            // 389
    "sk*",            // 390
    "左SK*",          // 391
    "右SK*",          // 392
    "前SK*",          // 393
    "後SK*",          // 394
    "eye_*",          // 395
    "mune_*",         // 396
    "hanege_*",       // 397
    "nekutai*",       // 398
    "kosikaza*",      // 399
    "Pgsk_*",         // 400
    "wc*",            // 401
    "揺れ幅*",        // 402
    "揺れ速*",        // 403
    "インジケータ*",  // 404
    "ネックレス*",    // 405
    "左耳掛*",        // 406
    "右耳掛*",        // 407
    "左耳毛",         // 408
    "左耳毛*",        // 409
    "右耳毛",         // 410
    "右耳毛*",        // 411
    "猫耳右*",        // 412: 猫耳右*, stored again as 414
    "猫耳左*",        // 413
    "猫耳右*",        // 414: 猫耳右* again (no lookup)
    "猫しっぽ*",      // 415
    "しっぽ*",        // 416
    "新上*",          // 417
    "新スカ*",        // 418
    "舌*",            // 419
    "ﾈｸﾀｲ*",          // 420
    "ネクタイ*",      // 421
    "頭_*",           // 422
    "腕_*",           // 423
    "袖_*",           // 424
    "裾_*",           // 425
    "ひじ_*",         // 426
    "手首_*",         // 427
    "足首_*",         // 428
    "下半身_*",       // 429
    "センター_*",     // 430
    "センター補助*",  // 431
    "尻尾*",          // 432
    "肩紐*",          // 433
    "胸紐*",          // 434
    "腰紐*",          // 435
    "腰布*",          // 436
    "腰飾*",          // 437
    "左上着*",        // 438
    "右上着*",        // 439
    "左燕尾",         // 440
    "左燕尾*",        // 441
    "右燕尾",         // 442
    "右燕尾*",        // 443
    "左服*",          // 444
    "右服*",          // 445
    "左胸*",          // 446
    "右胸*",          // 447
    "左ひじ補*",      // 448
    "右ひじ補*",      // 449
    "+左ひじ補*",     // 450
    "+右ひじ補*",     // 451
    "左腕親*",        // 452
    "右腕親*",        // 453
    "左腕補助*",      // 454
    "右腕補助*",      // 455
    "左？指３先",     // 456
    "右？指３先",     // 457
    "腰キャンセル*",  // 458
    "親指２_*",       // 459
    "人指３_*",       // 460
    "中指３_*",       // 461
    "薬指３_*",       // 462
    "小指３_*",       // 463
    "(右*",           // 464
    "(左*",           // 465
    "(前*",           // 466
    "(後*",           // 467
    "(ネクタ*",       // 468
    "(アホ*",         // 469
    "(ベル*",         // 470: last built-in bone
};

constexpr const char* kExpressionMorphs[] = {
    "あ",           // 1
    "い",           // 2
    "う",           // 3
    "お",           // 4
    "えー",         // 5
    "▲",            // 6
    "∧",            // 7
    "ω",            // 8
    "ω□",           // 9
    "はんっ！",     // 10
    "にやり",       // 11
    "にこり",       // 12
    "まばたき",     // 13
    "ウィンク",     // 14
    "ウィンク２",   // 15
    "ウィンク右",   // 16
    "ｳｨﾝｸ２右",     // 17
    "ｷﾘｯ",          // 18
    "はあと",       // 19
    "はぅ",         // 20
    "なごみ",       // 21
    "びっくり",     // 22
    "じと目",       // 23
    "なぬ！",       // 24
    "真面目",       // 25
    "困る",         // 26
    "怒り",         // 27
    "上",           // 28
    "下",           // 29
    "瞳小",         // 30
    "ぺろっ",       // 31
    "え",           // 32
    "ワ",           // 33
    "ん",           // 34
    "□",            // 35
    "д",            // 36
    "涙",           // 37
    "汗",           // 38
    "口角上げ",     // 39
    "口角下げ",     // 40
    "口横広げ",     // 41
    "照れ",         // 42
    "笑い",         // 43
    "驚き",         // 44
    "にやり２",     // 45
    "にこり2",      // 46
    "にっこり",     // 47
    "しいたけ",     // 48
    "てへぺろ",     // 49
    "がーん",       // 50
    "ぴえん",       // 51
    "瞳消し",       // 52
    "瞳縦潰れ",     // 53
    "恐ろしい子！", // 54
    "ｺｯﾁﾐﾝﾅ",       // 55
    "星目",         // 56
    "ジト目",       // 57
    "ハート目",     // 58
    "はちゅ目",     // 59
    "もぐもぐ",     // 60
    "メガネ",       // 61
};

constexpr const char* kIgnoredMorphs[] = {
    "クリ勃起", // 62: group 2 starts
};

constexpr int kMainEnd = 61;      // last entry of group 1
constexpr int kFingerEnd = 89;    // last entry of group 2
constexpr int kLookedUpEnd = 211; // group 3 entries up to here are looked up before adding

static_assert(std::size(kMainBones) == 61, "group 1 holds entries 1-61");
static_assert(std::size(kFingerBones) == 28, "group 2 holds entries 62-89");
static_assert(std::size(kIgnoredBonesLookedUp) == 122, "group 3 looks up entries 90-211");
static_assert(std::size(kIgnoredBonesAppended) == 259, "group 3 appends entries 212-470");
static_assert(std::size(kExpressionMorphs) == 61, "morph group 1 holds entries 1-61");
static_assert(std::size(kIgnoredMorphs) == 1, "morph group 2 holds entry 62");
static_assert(kMainEnd == std::size(kMainBones) &&
                  kFingerEnd == kMainEnd + std::size(kFingerBones) &&
                  kLookedUpEnd == kFingerEnd + std::size(kIgnoredBonesLookedUp) &&
                  BUILTIN_BONE_COUNT == kLookedUpEnd + std::size(kIgnoredBonesAppended),
              "bone groups end at 61, 89, 211 and 470");
static_assert(BUILTIN_MORPH_COUNT == std::size(kExpressionMorphs) + std::size(kIgnoredMorphs),
              "morph groups end at 61 and 62");

constexpr bool sameText(const char* a, const char* b) {
  while (*a != '\0' && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b;
}

// Shift-JIS never takes more bytes than UTF-8 for the same text, so a UTF-8 name shorter
// than a slot converts into a slot.
template <std::size_t N>
constexpr bool allFitSlot(const char* const (&names)[N]) {
  for (const char* name : names) {
    std::size_t length = 0;
    while (name[length] != '\0')
      ++length;
    if (length >= static_cast<std::size_t>(NAME_SLOT_SIZE))
      return false;
  }
  return true;
}

static_assert(allFitSlot(kMainBones) && allFitSlot(kFingerBones) &&
                  allFitSlot(kIgnoredBonesLookedUp) && allFitSlot(kIgnoredBonesAppended) &&
                  allFitSlot(kExpressionMorphs) && allFitSlot(kIgnoredMorphs),
              "every name fits a list slot");
static_assert(sameText(kMainBones[6], "左腕捩"), "entry 7 is registered twice");

// ---- Shift-JIS forms ----
// Generated from the tables above (tools/gen_builtin_names.py, builtin_names_generated.h),
// so that no start converts them; a test holds every one equal to the program's conversion
// of its UTF-8 form.

static_assert(std::size(kMainBonesSjis) == std::size(kMainBones) &&
                  std::size(kFingerBonesSjis) == std::size(kFingerBones) &&
                  std::size(kIgnoredBonesLookedUpSjis) == std::size(kIgnoredBonesLookedUp) &&
                  std::size(kIgnoredBonesAppendedSjis) == std::size(kIgnoredBonesAppended) &&
                  std::size(kExpressionMorphsSjis) == std::size(kExpressionMorphs) &&
                  std::size(kIgnoredMorphsSjis) == std::size(kIgnoredMorphs),
              "the generated names follow the tables; run tools/gen_builtin_names.py");

// The entry's name from the table of its group (the tables in registration order).
const char* boneName(int entry, const char* const* main, const char* const* fingers,
                     const char* const* lookedUp, const char* const* appended) {
  if (entry < 1 || entry > BUILTIN_BONE_COUNT)
    return nullptr;
  if (entry <= kMainEnd)
    return main[entry - 1];
  if (entry <= kFingerEnd)
    return fingers[entry - kMainEnd - 1];
  if (entry <= kLookedUpEnd)
    return lookedUp[entry - kFingerEnd - 1];
  return appended[entry - kLookedUpEnd - 1];
}

const char* morphName(int entry, const char* const* expressions, const char* const* ignored) {
  const int expressionCount = static_cast<int>(std::size(kExpressionMorphs));
  if (entry < 1 || entry > BUILTIN_MORPH_COUNT)
    return nullptr;
  if (entry <= expressionCount)
    return expressions[entry - 1];
  return ignored[entry - expressionCount - 1];
}

// ---- Registered state ----
// Registration starts from emptied lists and reads only constant tables, so its outcome
// never changes: the lookups run once per process (532 of them, each scanning the entries
// before it) and later registrations copy what they left. This matters when a run checks
// a whole folder of motions.

struct RegisteredList {
  char entries[BUILTIN_BONE_COUNT + 1][NAME_SLOT_SIZE]; // entries 1..count as registered
  uint8_t literal[BUILTIN_BONE_COUNT + 1];
  int32_t count;
  int32_t marks[NAME_MARK_CAPACITY];
  int32_t markCount;
};

struct RegisteredState {
  RegisteredList bones;  // LIST_BONE; set by keepRegistered()
  RegisteredList morphs; // LIST_MORPH; set by keepRegistered()
  bool kept;             // set once by keepRegistered(), never cleared: the tables are constant
  int lookedUp;          // registrations that ran the lookups
};
RegisteredState gRegistered;

// False when the list grew beyond the room kept (then every registration looks up).
bool keepList(RegisteredList& kept, int list) {
  const NameList& l = gNameLists[list];
  if (l.count > BUILTIN_BONE_COUNT)
    return false;
  for (int e = 1; e <= l.count; ++e) {
    std::memcpy(kept.entries[e], l.entries[e], NAME_SLOT_SIZE);
    kept.literal[e] = l.literal[e];
  }
  kept.count = l.count;
  std::memcpy(kept.marks, l.marks, sizeof kept.marks);
  kept.markCount = l.markCount;
  return true;
}

void keepRegistered() {
  gRegistered.kept =
      keepList(gRegistered.bones, LIST_BONE) && keepList(gRegistered.morphs, LIST_MORPH);
}

void restoreList(const RegisteredList& kept, int list) {
  NameList& l = gNameLists[list];
  std::memcpy(l.entries[1], kept.entries[1], static_cast<size_t>(kept.count) * NAME_SLOT_SIZE);
  std::memcpy(l.literal + 1, kept.literal + 1, static_cast<size_t>(kept.count));
  l.count = kept.count;
  std::memcpy(l.marks, kept.marks, sizeof l.marks);
  l.markCount = kept.markCount;
}

} // namespace

// ---- Registration ----

void registerBuiltinTables() {
  const auto bones = builtinBoneNameSjis;
  const auto morphs = builtinMorphNameSjis;

  // Entry numbers index the statistics, so they must not depend on what ran before.
  nameListEmpty(LIST_BONE);
  nameListEmpty(LIST_MORPH);
  if (gRegistered.kept) {
    restoreList(gRegistered.bones, LIST_BONE);
    restoreList(gRegistered.morphs, LIST_MORPH);
    return;
  }

  for (int e = 1; e <= kMainEnd; ++e)
    nameListFindOrAdd(LIST_BONE, bones(e));
  nameListFindOrAdd(LIST_BONE, bones(7)); // found again as entry 7: no new entry
  nameListMarkGroup(LIST_BONE);

  for (int e = kMainEnd + 1; e <= kFingerEnd; ++e)
    nameListFindOrAdd(LIST_BONE, bones(e));
  nameListMarkGroup(LIST_BONE);

  // The later part of group 3 is appended without lookup, so its two repeated names
  // (右Hair*, 猫耳右*) hold two entries each.
  for (int e = kFingerEnd + 1; e <= kLookedUpEnd; ++e)
    nameListFindOrAdd(LIST_BONE, bones(e));
  for (int e = kLookedUpEnd + 1; e <= BUILTIN_BONE_COUNT; ++e)
    nameListAppend(LIST_BONE, bones(e));
  nameListMarkGroup(LIST_BONE);

  const int expressions = static_cast<int>(std::size(kExpressionMorphs));
  for (int e = 1; e <= expressions; ++e)
    nameListFindOrAdd(LIST_MORPH, morphs(e));
  nameListMarkGroup(LIST_MORPH);
  for (int e = expressions + 1; e <= BUILTIN_MORPH_COUNT; ++e)
    nameListFindOrAdd(LIST_MORPH, morphs(e));
  nameListMarkGroup(LIST_MORPH);

  if (nameListCount(LIST_BONE) != BUILTIN_BONE_COUNT ||
      nameListCount(LIST_MORPH) != BUILTIN_MORPH_COUNT)
    trace("builtin tables registered %d bones and %d morphs\n", nameListCount(LIST_BONE),
          nameListCount(LIST_MORPH));
  // A run of one motion registers once and would never use the copy, whose pages cost
  // more than the copying: the second registration is the first one a copy saves.
  if (++gRegistered.lookedUp >= 2)
    keepRegistered();
}

const char* builtinBoneNameUtf8(int entry) {
  return boneName(entry, kMainBones, kFingerBones, kIgnoredBonesLookedUp, kIgnoredBonesAppended);
}

const char* builtinMorphNameUtf8(int entry) {
  return morphName(entry, kExpressionMorphs, kIgnoredMorphs);
}

const char* builtinBoneNameSjis(int entry) {
  return boneName(entry, kMainBonesSjis, kFingerBonesSjis, kIgnoredBonesLookedUpSjis,
                  kIgnoredBonesAppendedSjis);
}

const char* builtinMorphNameSjis(int entry) {
  return morphName(entry, kExpressionMorphsSjis, kIgnoredMorphsSjis);
}
