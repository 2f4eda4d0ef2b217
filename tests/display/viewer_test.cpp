#include "display/viewer.h"

#include "analysis/report.h"
#include "display/window_support.h"
#include "text/paths.h"

#include <gtest/gtest.h>

#include <cstdio>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

// The report font beside a program in folder: a link on Linux, a copy on Windows (links
// need a privilege there).
int placeReportFont(const TempFolder& folder) {
  const std::string font = folder.path("mplus-2m-regular.ttf");
#ifdef _WIN32
  folder.write("mplus-2m-regular.ttf", test_files::readFile(reportFontPath()));
  return fileExists(font) ? 0 : -1;
#else
  return symlink(reportFontPath().c_str(), font.c_str());
#endif
}

// Scripted user actions.
std::function<void()> send(int id, int code = 0, int x = 0, int y = 0) {
  return [=] { fakeSend(id, code, x, y); };
}
std::function<void()> key(int character) {
  return send(WINDOW_MSG_CHAR, character);
}

class Viewer : public ::testing::Test {
protected:
  void TearDown() override { fakeRemove(); }
  // A fresh display and a report of lineCount lines, prepared with the program in folder.
  void start(int lineCount, const std::string& folder = KT_BINARY_DIR "/bin") {
    fakeRemove();
    fakeInstall({0, 0, 1024, 300});
    fillReport(lineCount);
    dirAnsi = ansiPath(folder + "/");
    dirWide = widePathOf(folder + "/");
    ASSERT_EQ(0, viewerPrepare(dirAnsi.c_str(), dirWide.c_str()));
  }
  static void fillReport(int lineCount) {
    reportClear();
    for (int i = 0; i < lineCount; ++i) {
      reportAppend("line");
      reportFinishLine();
    }
  }
  static int run() { return viewerRun("a.vmd", u"a.vmd"); }
  std::string dirAnsi; // kept by the viewer until the next prepare
  std::u16string dirWide;
};

TEST_F(Viewer, EachKeyEndsTheRunStartsAPassOrIsIgnored) {
  constexpr int C = WINDOW_MSG_CHAR, K = WINDOW_MSG_KEY_DOWN;
  const struct {
    int id, code;
    char effect; // 'e' the run ends, 'p' a new pass, '-' ignored
  } cases[] = {
      // clang-format off
      {C, EVENT_KEY_ESCAPE, 'e'}, {C, 'Q', 'e'}, {C, 'q', 'e'}, {C, EVENT_KEY_CTRL_Q, 'e'},
      {WINDOW_MSG_CLOSE, 0, 'e'},
      {C, ' ', 'p'}, {C, EVENT_KEY_ENTER, 'p'}, {C, 'R', 'p'}, {C, 'c', 'p'},
      {K, VIRTUAL_KEY_LEFT, 'p'},
      {C, 'x', '-'}, {WINDOW_MSG_SYS_CHAR, 'q', '-'}, {K, VIRTUAL_KEY_PAGE_DOWN, '-'},
      {WINDOW_MSG_MBUTTON_DOWN, 0, '-'},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.id << " " << c.code);
    start(3);
    // Counted from the end of the first pass, which drew the report.
    gFake.script = {[&] {
                      gFake.topmostDrops = gFake.repaints = 0;
                      fakeSend(c.id, c.code);
                    },
                    key(EVENT_KEY_ESCAPE)};
    EXPECT_EQ(VIEWER_DISMISSED, run());
    EXPECT_EQ(c.effect == 'e' ? 1u : 0u, gFake.script.size());
    EXPECT_EQ(c.effect == 'p' ? 1 : 0, gFake.topmostDrops); // a pass re-fronts the window
    EXPECT_EQ(0, gFake.repaints);                           // but neither redraws nor scrolls
    EXPECT_TRUE(gFake.live);
  }
}

// F hands over to the fix handler: a written copy ends the run as a drop does (its report
// follows), a refusal only shows the handler's note; without a handler F is ignored.
TEST_F(Viewer, FWritesACopyWhoseReportFollows) {
  static int calls;
  static int answer;
  auto handler = [](char* note, int size) {
    ++calls;
    std::snprintf(note, static_cast<size_t>(size), "note %d", calls);
    return answer;
  };
  const struct {
    ViewerFixHandler fix;
    int answer;
    int result;
    const char* title; // after the run
  } cases[] = {
      {handler, VIEWER_FIX_WRITTEN, VIEWER_DROPPED, "note 1"},
      {handler, VIEWER_FIX_NOT_WRITTEN, VIEWER_DISMISSED, "note 1"},
      {nullptr, VIEWER_FIX_WRITTEN, VIEWER_DISMISSED, "Kinetrace "},
  };
  for (const auto& c : cases) {
    start(3);
    calls = 0;
    answer = c.answer;
    viewerSetFixHandler(c.fix);
    gFake.script = {key('f'), key(EVENT_KEY_ESCAPE)};
    EXPECT_EQ(c.result, run());
    EXPECT_EQ(c.fix != nullptr ? 1 : 0, calls);
    // The Escape is still waiting when the copy follows.
    EXPECT_EQ(c.result == VIEWER_DROPPED ? 1u : 0u, gFake.script.size());
    EXPECT_STREQ(c.title, gViewWindow.title);
  }
  viewerSetFixHandler(nullptr);
}

TEST_F(Viewer, TheCloseButtonEndsOnlyTheCurrentReport) {
  start(3);
  gFake.script = {send(WINDOW_MSG_CLOSE)};
  EXPECT_EQ(VIEWER_DISMISSED, run());
  fillReport(30); // the next file's report is taller
  ASSERT_EQ(0, viewerPrepare(dirAnsi.c_str(), dirWide.c_str()));
  gFake.script = {key('x'), key(EVENT_KEY_ESCAPE)};
  EXPECT_EQ(VIEWER_DISMISSED, run());
  EXPECT_TRUE(gFake.script.empty()); // it waited for the Escape
  EXPECT_EQ(1, gFake.creates);
  EXPECT_EQ(510, gViewWindow.surfaceHeight);
  viewerShutdown();
  EXPECT_FALSE(gFake.live);
}

TEST_F(Viewer, SCapturesToTheFirstFreeNumber) {
  TempFolder folder;
  ASSERT_EQ(0, placeReportFont(folder));
  start(3, folder.path());
  auto deleteFirst = [&] {
    EXPECT_TRUE(fileExists(folder.path("cap(2).bmp")));
    std::remove(folder.path("cap(1).bmp").c_str());
  };
  gFake.script = {key('S'), key('s'), deleteFirst, key('S'), key(EVENT_KEY_ESCAPE)};
  EXPECT_EQ(VIEWER_DISMISSED, run());
  EXPECT_TRUE(fileExists(folder.path("cap(1).bmp")));
  EXPECT_FALSE(fileExists(folder.path("cap(3).bmp")));
}

TEST_F(Viewer, SPassesANameThatHoldsNoCapture) {
#ifdef _WIN32
  GTEST_SKIP() << "a dangling symbolic link: Linux only";
#else
  TempFolder folder;
  ASSERT_EQ(0, placeReportFont(folder));
  const std::string elsewhere = folder.path("elsewhere.bmp");
  ASSERT_EQ(0, symlink(elsewhere.c_str(), folder.path("cap(1).bmp").c_str()));
  start(3, folder.path());
  gFake.script = {key('S'), key(EVENT_KEY_ESCAPE)};
  EXPECT_EQ(VIEWER_DISMISSED, run());
  EXPECT_FALSE(fileExists(elsewhere)) << "the link's target stays unwritten";
  EXPECT_TRUE(fileExists(folder.path("cap(2).bmp")));
#endif
}

TEST_F(Viewer, APanScrollsByTheDragDistanceFromThePress) {
  start(30); // 510 pixels high in a work area of 300
  auto at = [](int y) { return [=] { EXPECT_EQ(y, gViewWindow.verticalPosition); }; };
  constexpr int DOWN = WINDOW_MSG_LBUTTON_DOWN, MOVE = WINDOW_MSG_MOUSE_MOVE, L = KEY_STATE_LEFT;
  // clang-format off
  gFake.script = {[] { fakeUserResize(SIZING_EDGE_BOTTOM, 512, 300); },
      send(DOWN, L, 100, 100), send(MOVE, L, 90, 60), at(40),
      send(MOVE, L, 90, 30), send(WINDOW_MSG_LBUTTON_UP, 0, 90, 30), at(70),
      send(DOWN, L, 50, 50), send(MOVE, L, 50, 80), at(40), key(EVENT_KEY_ESCAPE)};
  // clang-format on
  EXPECT_EQ(VIEWER_DISMISSED, run());
  EXPECT_EQ(0, gViewWindow.horizontalPosition);
}

TEST_F(Viewer, WithoutTheFontTheRunEndsAtOnceOnABlackWindow) {
  TempFolder empty;
  start(3, empty.path());
  EXPECT_EQ(1, viewerFontMissing());
  gFake.script = {key(EVENT_KEY_ESCAPE)};
  EXPECT_EQ(VIEWER_DISMISSED, run());
  EXPECT_EQ(1u, gFake.script.size());
  ASSERT_TRUE(gFake.live);
  const SurfacePage& page = gViewWindow.pages[0];
  EXPECT_EQ(std::vector<uint8_t>(page.stride * page.height),
            std::vector<uint8_t>(page.pixels, page.pixels + page.stride * page.height));
}

TEST_F(Viewer, DroppedFilesEndTheRunAndJoinBothListsFirstOneLast) {
  using Name = std::pair<std::u16string, std::string>;
  const Name a = {u"A", "A"}, b = {u"B", "B"}, c = {u"C", "C"};
  const Name longAnsi = {u"fits", std::string(260, 'b')};
  const Name longWide = {std::u16string(260, u'c'), "fits"};
  const Name fit = {std::u16string(259, u'f'), std::string(259, 'f')};
  const struct {
    std::vector<Name> names;
    int result;
    std::vector<Name> args; // after the program
  } cases[] = {
      {{a, b, c}, VIEWER_DROPPED, {b, c, a}},
      {{a, longAnsi, c}, VIEWER_DROPPED, {c, a}}, // skipped in both forms
      {{longWide, b}, VIEWER_DROPPED, {b}},
      {{fit}, VIEWER_DROPPED, {fit}},
      {{longAnsi}, VIEWER_DISMISSED, {}}, // all skipped: the run goes on
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.names[0].second.substr(0, 4));
    start(3);
    FakeDrop drop = {k.names, false};
    gFake.script = {[&] { fakeSend(WINDOW_MSG_DROP_FILES, 0, 0, 0, &drop); },
                    key(EVENT_KEY_ESCAPE)};
    EXPECT_EQ(k.result, run());
    EXPECT_TRUE(drop.finished);
    ASSERT_EQ(static_cast<int>(k.args.size()) + 1, gArgTable.count);
    ASSERT_EQ(gArgTable.count, gArgTableW.count);
    for (size_t i = 0; i < k.args.size(); ++i)
      EXPECT_EQ(k.args[i], Name(gArgTableW.arg[i + 1], gArgTable.arg[i + 1]));
  }
}

TEST_F(Viewer, ADroppedNameOneListCannotHoldGoesIntoNeither) {
  using Name = std::pair<std::u16string, std::string>;
  const Name a = {u"A", "A"}, b = {u"B", "BBBBBBBB"};
  start(3);
  gArgTable.used = 65530; // room for "A" but not for "BBBBBBBB" in the ANSI list
  gArgTable.arg[gArgTable.count] = gArgTable.pool + gArgTable.used;
  FakeDrop drop = {{a, b}, false};
  gFake.script = {[&] { fakeSend(WINDOW_MSG_DROP_FILES, 0, 0, 0, &drop); }, key(EVENT_KEY_ESCAPE)};
  EXPECT_EQ(VIEWER_DROPPED, run());
  ASSERT_EQ(gArgTable.count, 2);
  ASSERT_EQ(gArgTableW.count, 2);
  EXPECT_EQ(a, Name(gArgTableW.arg[1], gArgTable.arg[1]));
}

} // namespace
