#include "backends/qt/qt_window.h"

#include <gtest/gtest.h>

#include "common/tempdir.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QBitmap>
#include <QClipboard>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QUrl>
#include <QWheelEvent>

#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "backends/qt/qt_dialogs.h"
#include "display/clipboard.h"
#include "display/cursors.h"
#include "display/window.h"
#include "text/pathconv.h"
#include "text/paths.h"

namespace {

// A message as the procedure saw it: id and code, then the position where the message
// carries one (buttons and moves).
using Seen = std::vector<int>;
std::vector<Seen> gSeen;

// What the drop handle answered while DROP_FILES was live: the count in both forms, every
// name in both forms, and the first name asked with one unit too few (length, first unit).
int gDropCounts[2];
using PathForms = std::pair<std::u16string, std::string>;
std::vector<PathForms> gDropNames;
int gDropShortLength;
char16_t gDropShortFirst;

int recordingProcedure(WindowMessage* m) {
  if ((m->id >= WINDOW_MSG_LBUTTON_DOWN && m->id <= WINDOW_MSG_MOUSE_MOVE) ||
      (m->id >= WINDOW_MSG_RBUTTON_DOWN && m->id <= WINDOW_MSG_MBUTTON_UP))
    gSeen.push_back({m->id, m->code, m->x, m->y});
  else
    gSeen.push_back({m->id, m->code});
  if (m->id == WINDOW_MSG_DROP_FILES) {
    const DisplayPlatform* p = qtWindowPlatform();
    gDropCounts[0] = p->dragQueryFileW(m->drop, -1, nullptr, 0);
    gDropCounts[1] = p->dragQueryFile(m->drop, -1, nullptr, 0);
    for (int i = 0; i < gDropCounts[0]; ++i) {
      char16_t wide[PATH_SIZE] = {};
      char ansi[PATH_SIZE] = {};
      p->dragQueryFileW(m->drop, i, wide, PATH_SIZE);
      p->dragQueryFile(m->drop, i, ansi, PATH_SIZE);
      gDropNames.push_back({wide, ansi});
    }
    // A buffer of exactly the name's length has no room for the terminator.
    const int length = gDropNames.empty() ? 0 : static_cast<int>(gDropNames[0].first.size());
    std::vector<char16_t> exact(length + 1, u'#');
    gDropShortLength = p->dragQueryFileW(m->drop, 0, exact.data(), length);
    gDropShortFirst = exact[0];
  }
  return windowProcedure(m);
}

// The program's two forms of a UTF-8 path from the file system.
PathForms pathForms(const std::string& utf8) {
  char16_t wide[PATH_SIZE];
  char ansi[PATH_SIZE];
  utf8PathToWide(wide, PATH_SIZE, utf8.c_str());
  utf8PathToAnsi(ansi, sizeof ansi, utf8.c_str());
  return {wide, ansi};
}

std::unique_ptr<QEvent> press(int key, const char* text, Qt::KeyboardModifiers mods = {}) {
  return std::make_unique<QKeyEvent>(QEvent::KeyPress, key, mods, QString::fromLatin1(text));
}

std::unique_ptr<QEvent> mouse(QEvent::Type type, int x, int y, Qt::MouseButton button,
                              Qt::MouseButtons held, Qt::KeyboardModifiers mods = {}) {
  return std::make_unique<QMouseEvent>(type, QPointF(x, y), QPointF(x, y), button, held, mods);
}

std::unique_ptr<QEvent> wheel(int delta) {
  return std::make_unique<QWheelEvent>(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, delta),
                                       Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
}

class QtWindow : public ::testing::Test {
protected:
  void SetUp() override {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    qtEnsureApplication();
    gViewWindow = ViewWindow{};
    displaySetPlatform(qtWindowPlatform());
    gSeen.clear();
    gDropNames.clear();
  }
  void TearDown() override {
    if (gViewWindow.state != WINDOW_NONE)
      windowDestroy();
    else
      qtWindowPlatform()->destroyWindow();
    cursorsRelease();
    displaySetPlatform(nullptr);
    gViewWindow = ViewWindow{};
  }
  // A shown window whose messages go through recordingProcedure, with none recorded yet.
  QAbstractScrollArea* openRecorded() {
    qtWindowPlatform()->createWindow("report", 0, 0, 320, 240, 1, recordingProcedure);
    qtWindowPlatform()->showWindow();
    QApplication::processEvents();
    gSeen.clear();
    return static_cast<QAbstractScrollArea*>(qtWindowWidget());
  }
};

} // namespace

TEST_F(QtWindow, InputBecomesWindowMessages) {
  QAbstractScrollArea* w = openRecorded();
  ASSERT_NE(w, nullptr);
  const Qt::MouseButton left = Qt::LeftButton;
  const QEvent::Type down = QEvent::MouseButtonPress, move = QEvent::MouseMove,
                     up = QEvent::MouseButtonRelease;
  struct Case {
    std::unique_ptr<QEvent> event;
    std::vector<Seen> expected;
  } cases[] = {
      {press(Qt::Key_Escape, "\x1b"), {{WINDOW_MSG_CHAR, EVENT_KEY_ESCAPE}}},
      {press(Qt::Key_Return, "\r"), {{WINDOW_MSG_CHAR, EVENT_KEY_ENTER}}},
      {press(Qt::Key_Tab, "\t"), {{WINDOW_MSG_CHAR, EVENT_KEY_TAB}}},
      {press(Qt::Key_S, "s"), {{WINDOW_MSG_CHAR, 's'}}},
      {press(Qt::Key_Shift, "", Qt::ShiftModifier), {{WINDOW_MSG_KEY_DOWN, VIRTUAL_KEY_SHIFT}}},
      {press(Qt::Key_Control, "", Qt::ControlModifier),
       {{WINDOW_MSG_KEY_DOWN, VIRTUAL_KEY_CONTROL}}},
      {press(Qt::Key_Q, "\x11", Qt::ControlModifier), {{WINDOW_MSG_CHAR, EVENT_KEY_CTRL_Q}}},
      {press(Qt::Key_PageDown, ""), {{WINDOW_MSG_KEY_DOWN, VIRTUAL_KEY_PAGE_DOWN}}},
      {press(Qt::Key_Left, "", Qt::KeypadModifier), {{WINDOW_MSG_KEY_DOWN, VIRTUAL_KEY_LEFT}}},
      {press(Qt::Key_X, "x", Qt::AltModifier), {{WINDOW_MSG_SYS_CHAR, 'x'}}},
      {press(Qt::Key_F4, "", Qt::AltModifier), {{WINDOW_MSG_CLOSE, 0}}},
      {press(Qt::Key_F1, ""), {}},
      {std::make_unique<QKeyEvent>(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier),
       {{WINDOW_MSG_KEY_UP, VIRTUAL_KEY_SHIFT}}},
      {mouse(down, 30, 40, left, left, Qt::ShiftModifier),
       {{WINDOW_MSG_LBUTTON_DOWN, KEY_STATE_LEFT | KEY_STATE_SHIFT, 30, 40}}},
      {mouse(move, 50, 60, Qt::NoButton, left),
       {{WINDOW_MSG_NC_HIT_TEST, 0}, {WINDOW_MSG_MOUSE_MOVE, KEY_STATE_LEFT, 50, 60}}},
      {mouse(move, -5, 60, Qt::NoButton, left),
       {{WINDOW_MSG_NC_HIT_TEST, 0}, {WINDOW_MSG_NC_MOUSE_MOVE, 0}}},
      {mouse(up, -5, 60, left, Qt::NoButton), {}},
      {mouse(up, 10, 12, left, Qt::NoButton), {{WINDOW_MSG_LBUTTON_UP, 0, 10, 12}}},
      {mouse(down, 70, 80, Qt::RightButton, Qt::RightButton, Qt::ControlModifier),
       {{WINDOW_MSG_RBUTTON_DOWN, KEY_STATE_RIGHT | KEY_STATE_CONTROL, 70, 80}}},
      {mouse(down, 7, 8, Qt::MiddleButton, Qt::MiddleButton),
       {{WINDOW_MSG_MBUTTON_DOWN, KEY_STATE_MIDDLE, 7, 8}}},
      {wheel(-120), {{WINDOW_MSG_MOUSE_WHEEL, -120}}},
  };
  int row = 0;
  for (Case& c : cases) {
    gSeen.clear();
    const bool isKey = dynamic_cast<QKeyEvent*>(c.event.get()) != nullptr;
    QApplication::sendEvent(isKey ? static_cast<QWidget*>(w) : w->viewport(), c.event.get());
    EXPECT_EQ(gSeen, c.expected) << "row " << row++;
  }
  // Over a scroll bar: the wheel still scrolls, a move still hit-tests.
  gSeen.clear();
  QApplication::sendEvent(w->verticalScrollBar(), wheel(120).get());
  QApplication::sendEvent(w->verticalScrollBar(), mouse(move, 3, 3, Qt::NoButton, {}).get());
  EXPECT_EQ(gSeen, (std::vector<Seen>{{WINDOW_MSG_MOUSE_WHEEL, 120}, {WINDOW_MSG_NC_HIT_TEST, 0}}));
  // The close button only asks; the window stays.
  gSeen.clear();
  EXPECT_FALSE(w->close());
  EXPECT_EQ(gSeen, (std::vector<Seen>{{WINDOW_MSG_CLOSE, 0}}));
  EXPECT_TRUE(w->isVisible());
}

// Offscreen, Qt reports our own setText as another program's change: the copy must
// survive that (it once freed the text twice).
TEST_F(QtWindow, RightClickCopiesThePositionToTheClipboard) {
  QAbstractScrollArea* w = openRecorded();
  ASSERT_NE(w, nullptr);
  QApplication::sendEvent(
      w->viewport(),
      mouse(QEvent::MouseButtonPress, 70, 80, Qt::RightButton, Qt::RightButton).get());
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("70,80"));
  EXPECT_EQ(gSeen, (std::vector<Seen>{{WINDOW_MSG_RBUTTON_DOWN, KEY_STATE_RIGHT, 70, 80}}));
}

TEST_F(QtWindow, DroppedLocalFilesComeInBothPathForms) {
  test_files::TempDir d;
  ASSERT_TRUE(d.ok());
  const std::string walk = d.write("\xE6\xAD\xA9\xE3\x81\x8F.vmd", ""); // 歩く.vmd
  const std::string run = d.write("run.vmd", "");
  getargs(&gArgTable, "kinetrace"); // the procedure queues the second name there
  getargsW(&gArgTableW, u"kinetrace");
  QAbstractScrollArea* w = openRecorded();
  ASSERT_NE(w, nullptr);
  qtWindowPlatform()->dragAcceptFiles(1);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromUtf8(walk.c_str())),
                QUrl(QStringLiteral("https://example.com/remote.vmd")),
                QUrl::fromLocalFile(QString::fromUtf8(run.c_str()))});
  QDragEnterEvent enter(QPoint(25, 35), Qt::CopyAction, &data, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(w->viewport(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(25, 35), Qt::CopyAction, &data, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(w->viewport(), &drop);

  ASSERT_EQ(gSeen, (std::vector<Seen>{{WINDOW_MSG_DROP_FILES, 0}}));
  EXPECT_EQ(gDropCounts[0], 2);
  EXPECT_EQ(gDropCounts[1], 2);
  EXPECT_EQ(gDropNames, (std::vector<PathForms>{pathForms(walk), pathForms(run)}));
  EXPECT_EQ(gDropShortLength, static_cast<int>(pathForms(walk).first.size()));
  EXPECT_EQ(gDropShortFirst, u'#');
  EXPECT_EQ(gViewWindow.dropX, 25); // the drop point, through dragQueryPoint
  EXPECT_EQ(gViewWindow.dropY, 35);
}

TEST_F(QtWindow, DroppedNamesThatAreNotUtf8KeepTheirBytes) {
  test_files::TempDir d;
  ASSERT_TRUE(d.ok());
  d.folder("\x83\x82");
  const std::string names[] = {d.write("\x83\x82\x81\x5B.vmd", ""), // モー.vmd in Shift-JIS
                               d.write("caf\xE9 %41.vmd", ""),      // Latin-1, a literal %41
                               d.write("\x83\x82/\x95\x5C.vmd", "")};
  getargs(&gArgTable, "kinetrace");
  getargsW(&gArgTableW, u"kinetrace");
  QAbstractScrollArea* w = openRecorded();
  ASSERT_NE(w, nullptr);
  qtWindowPlatform()->dragAcceptFiles(1);
  QList<QUrl> urls;
  for (const std::string& name : names)
    urls.push_back(QUrl::fromEncoded("file://" + QByteArray(name.c_str()).toPercentEncoding("/")));
  QMimeData data;
  data.setUrls(urls);
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(w->viewport(), &enter);
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(w->viewport(), &drop);

  ASSERT_EQ(gDropNames.size(), std::size(names));
  for (size_t i = 0; i < gDropNames.size(); ++i) {
    EXPECT_EQ(gDropNames[i], pathForms(names[i])) << names[i];
    char utf8[PATH_SIZE * 3];
    EXPECT_EQ(widePathToUtf8(utf8, sizeof utf8, gDropNames[i].first.c_str()), 0);
    EXPECT_EQ(std::string(utf8), names[i]) << "the UTF-16 form names the file byte for byte";
  }
}

TEST_F(QtWindow, TheHandShowsWhileTheLeftButtonIsHeld) {
  ASSERT_EQ(windowCreate(200, 100, 1, "cursor"), 0);
  ASSERT_EQ(cursorsLoad(), 0);
  windowSetHeldCursor(CURSOR_HAND);
  QWidget* viewport = static_cast<QAbstractScrollArea*>(qtWindowWidget())->viewport();
  QApplication::sendEvent(
      viewport, mouse(QEvent::MouseButtonPress, 20, 20, Qt::LeftButton, Qt::LeftButton).get());
  const QCursor held = viewport->cursor();
  ASSERT_EQ(held.shape(), Qt::BitmapCursor);
  EXPECT_EQ(held.hotSpot(), QPoint(CURSOR_HOT_SPOT, CURSOR_HOT_SPOT));
  // Row 1 of the planes: column 0 transparent, 7 black, 9 white. Qt: mask 1 shows the
  // pixel, bitmap 1 makes it black.
  const QImage bitmap = held.bitmap().toImage(), mask = held.mask().toImage();
  using Bits = std::vector<int>;
  EXPECT_EQ((Bits{mask.pixelIndex(0, 1), mask.pixelIndex(7, 1), mask.pixelIndex(9, 1)}),
            (Bits{0, 1, 1}));
  EXPECT_EQ((Bits{bitmap.pixelIndex(7, 1), bitmap.pixelIndex(9, 1)}), (Bits{1, 0}));

  QApplication::sendEvent(viewport,
                          mouse(QEvent::MouseButtonRelease, 20, 20, Qt::LeftButton, {}).get());
  EXPECT_EQ(viewport->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(QtWindow, PaintShowsTheDisplayPage) {
  ASSERT_EQ(windowCreate(200, 100, 1, "paint"), 0);
  surfaceFillRect(0, 20, 10, 59, 39, 200, 100, 50);
  QApplication::processEvents();
  const QImage shown =
      static_cast<QAbstractScrollArea*>(qtWindowWidget())->viewport()->grab().toImage();
  ASSERT_GE(shown.width(), 100);
  EXPECT_EQ(shown.pixelColor(20, 10), QColor(200, 100, 50));
  EXPECT_EQ(shown.pixelColor(59, 39), QColor(200, 100, 50));
  EXPECT_EQ(shown.pixelColor(60, 39), QColor(0, 0, 0));
  EXPECT_EQ(shown.pixelColor(19, 10), QColor(0, 0, 0));
}

// A user shrinking the window brings up both bars, ranged to what the viewport leaves out.
TEST_F(QtWindow, AUserResizeShowsBothBars) {
  ASSERT_EQ(windowCreate(600, 400, 1, "resize"), 0);
  auto* w = static_cast<QAbstractScrollArea*>(qtWindowWidget());
  QApplication::processEvents();
  usleep(600 * 1000); // sizes set right after our own are taken for the program's
  w->resize(500, 300);
  for (int i = 0; i < 5; ++i)
    QApplication::processEvents();
  EXPECT_TRUE(w->horizontalScrollBar()->isVisible());
  EXPECT_TRUE(w->verticalScrollBar()->isVisible());
  EXPECT_EQ(gViewWindow.horizontalRange, 600 - w->viewport()->width());
  EXPECT_EQ(gViewWindow.verticalRange, 400 - w->viewport()->height());
}
