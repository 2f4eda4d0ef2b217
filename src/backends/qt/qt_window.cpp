// ---- Index ----
// ---- The window class ----
// ---- Input ----
// ---- Platform operations ----
#include "backends/qt/qt_window.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QBitmap>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <QWindow>
#include <QWindowStateChangeEvent>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "backends/qt/qt_dialogs.h"
#include "display/backend.h"
#include "os/os.h"
#include "text/encoding.h"
#include "text/pathconv.h"

namespace {

constexpr int EXIT_SIZE_MOVE_MS = 250;    // a user resize ends after this long without one
constexpr int PROGRAMMATIC_SIZE_MS = 500; // resizes this soon after our own are ours
constexpr int CURSOR_CELL = 32;

QString fromSjis(const char* text) {
  std::vector<char16_t> wide(2 * std::strlen(text) + 1);
  strsjis2uni(wide.data(), text);
  return QString::fromUtf16(wide.data());
}

// The dropped files of one drop; the drop handle points at it while DROP_FILES runs.
struct DropRecord {
  std::vector<std::string> paths; // as the file system names them
  QPoint point;                   // in the viewport
};

// ---- The window class ----

class ReportWindow final : public QAbstractScrollArea {
public:
  explicit ReportWindow(WindowProcedure procedure) : procedure_(procedure) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The class background: black, painted before every paint.
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Window, Qt::black);
    viewport()->setPalette(palette);
    viewport()->setAutoFillBackground(true);
    viewport()->setMouseTracking(true);
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
      bar->setTracking(false);
      bar->setContextMenuPolicy(Qt::NoContextMenu);
      bar->setMouseTracking(true);
      bar->installEventFilter(this);
    }
    connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { scrollAction(SCROLL_BAR_HORIZONTAL, action); });
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { scrollAction(SCROLL_BAR_VERTICAL, action); });
    exitSizeMove_.setSingleShot(true);
    connect(&exitSizeMove_, &QTimer::timeout, this, [this] { send(WINDOW_MSG_EXIT_SIZE_MOVE); });
    programmatic_.start();
  }

  // Delivers a message to the window procedure.
  int send(WindowMessage& message) { return procedure_(&message); }

  int send(int id, int code = 0, int x = 0, int y = 0) {
    WindowMessage message = {id, code, x, y, 0, 0, nullptr};
    return send(message);
  }

  void sendSize() { send(WINDOW_MSG_SIZE, 0, viewport()->width(), viewport()->height()); }

  // The maximum size the procedure asks for, which a maximised window takes. Otherwise the
  // bars may be added: a user can then drag the window just far enough for it to snap
  // back to that size without bars.
  void applyMaximumSize() {
    WindowMessage message = {WINDOW_MSG_GET_MIN_MAX_INFO, 0, 0, 0, 0, 0, nullptr};
    send(message);
    const int bars =
        isMaximized() ? 0 : style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    if (message.width > 0 && message.height > 0)
      setMaximumSize(message.width + bars, message.height + bars);
  }

  void resizeOurselves(int width, int height) {
    programmatic_.restart();
    resize(width, height);
  }

  void setTopmost(bool on) {
    if (windowHandle() != nullptr)
      windowHandle()->setFlag(Qt::WindowStaysOnTopHint, on); // keeps the window mapped
    else
      setWindowFlag(Qt::WindowStaysOnTopHint, on);
    topmost_ = on;
  }

  bool topmost() const { return topmost_; }

  // The page's pixels as a non-owning image, only inside a paint.
  void copyPage(const SurfacePage* page, int sourceX, int sourceY, int x, int y, int width,
                int height) {
    if (painter_ == nullptr || page == nullptr ||
        !clipPageCopy(*page, sourceX, sourceY, x, y, width, height))
      return;
    const uchar* first = page->pixels + static_cast<size_t>(sourceY) * page->stride +
                         static_cast<size_t>(sourceX) * 3;
    const QImage image(first, width, height, page->stride, QImage::Format_BGR888);
    painter_->drawImage(QPoint(x, y), image);
  }

protected:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::Resize)
      noteResize(static_cast<QResizeEvent*>(e));
    return QAbstractScrollArea::event(e);
  }

  bool viewportEvent(QEvent* e) override {
    if (e->type() == QEvent::Resize) {
      // Qt is laying out the area: a bar the procedure showed now would be hidden again
      // when that layout resumes. The size message follows once it is done.
      if (!sizePosted_) {
        sizePosted_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
              sizePosted_ = false;
              sendSize();
            },
            Qt::QueuedConnection);
      }
      return false;
    }
    return QAbstractScrollArea::viewportEvent(e);
  }

  void paintEvent(QPaintEvent* e) override {
    QPainter painter(viewport());
    painter_ = &painter;
    for (const QRect& r : e->region()) {
      WindowMessage message = {WINDOW_MSG_PAINT, 0, r.x(), r.y(), r.width(), r.height(), nullptr};
      send(message);
    }
    painter_ = nullptr;
  }

  // Positions are the procedure's to decide.
  void scrollContentsBy(int, int) override {}

  bool focusNextPrevChild(bool) override { return false; } // Tab is a character

  void closeEvent(QCloseEvent* e) override {
    e->ignore();
    send(WINDOW_MSG_CLOSE);
  }

  void changeEvent(QEvent* e) override {
    QAbstractScrollArea::changeEvent(e);
    if (e->type() != QEvent::WindowStateChange)
      return;
    const Qt::WindowStates before = static_cast<QWindowStateChangeEvent*>(e)->oldState();
    const Qt::WindowStates now = windowState();
    if ((now & Qt::WindowMinimized) && !(before & Qt::WindowMinimized))
      send(WINDOW_MSG_SYS_COMMAND, SYSTEM_COMMAND_MINIMIZE);
    else if ((now & Qt::WindowMaximized) && !(before & Qt::WindowMaximized))
      send(WINDOW_MSG_SYS_COMMAND, SYSTEM_COMMAND_MAXIMIZE);
    else if ((before & (Qt::WindowMinimized | Qt::WindowMaximized)) &&
             !(now & (Qt::WindowMinimized | Qt::WindowMaximized)))
      send(WINDOW_MSG_SYS_COMMAND, SYSTEM_COMMAND_RESTORE);
    applyMaximumSize();
  }

  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dropEvent(QDropEvent* e) override;

private:
  void noteResize(QResizeEvent* e);
  void scrollAction(int bar, int action);

  WindowProcedure procedure_;
  QPainter* painter_ = nullptr; // set during paintEvent
  bool topmost_ = false;
  bool sizePosted_ = false; // a size message waits for the event loop
  QTimer exitSizeMove_;
  QElapsedTimer programmatic_; // since the last size we set ourselves
};

struct QtWindowState {
  ReportWindow* window = nullptr; // set by createWindow, cleared by destroyWindow
  int scrollPosition[2] = {0, 0}; // horizontal, vertical: as setScrollPosition last set them
};
QtWindowState gQt;

void ReportWindow::noteResize(QResizeEvent* e) {
  if (!e->oldSize().isValid() || e->oldSize() == e->size() ||
      programmatic_.elapsed() < PROGRAMMATIC_SIZE_MS)
    return;
  const bool wider = e->oldSize().width() != e->size().width();
  const bool taller = e->oldSize().height() != e->size().height();
  const int edge = wider && taller ? SIZING_EDGE_BOTTOM_RIGHT
                   : wider         ? SIZING_EDGE_RIGHT
                                   : SIZING_EDGE_BOTTOM;
  send(WINDOW_MSG_SIZING, edge);
  exitSizeMove_.start(EXIT_SIZE_MOVE_MS);
}

void ReportWindow::scrollAction(int bar, int action) {
  int request;
  switch (action) {
  case QAbstractSlider::SliderSingleStepSub:
    request = SCROLL_REQUEST_LINE_LEFT;
    break;
  case QAbstractSlider::SliderSingleStepAdd:
    request = SCROLL_REQUEST_LINE_RIGHT;
    break;
  case QAbstractSlider::SliderPageStepSub:
    request = SCROLL_REQUEST_PAGE_LEFT;
    break;
  case QAbstractSlider::SliderPageStepAdd:
    request = SCROLL_REQUEST_PAGE_RIGHT;
    break;
  case QAbstractSlider::SliderMove: // with tracking off: the thumb was released
    request = SCROLL_REQUEST_THUMB_POSITION;
    break;
  case QAbstractSlider::SliderToMinimum:
    request = SCROLL_REQUEST_LEFT;
    break;
  case QAbstractSlider::SliderToMaximum:
    request = SCROLL_REQUEST_RIGHT;
    break;
  default:
    request = SCROLL_REQUEST_END;
    break;
  }
  QScrollBar* scrollBar =
      bar == SCROLL_BAR_HORIZONTAL ? horizontalScrollBar() : verticalScrollBar();
  send(bar == SCROLL_BAR_HORIZONTAL ? WINDOW_MSG_HSCROLL : WINDOW_MSG_VSCROLL, request,
       scrollBar->sliderPosition());
  // Qt applies the slider position after this signal: make it the procedure's, the last
  // one it set.
  scrollBar->setSliderPosition(gQt.scrollPosition[bar == SCROLL_BAR_HORIZONTAL ? 0 : 1]);
}

// ---- Input ----

int keyState(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  int state = 0;
  if (buttons & Qt::LeftButton)
    state |= KEY_STATE_LEFT;
  if (buttons & Qt::RightButton)
    state |= KEY_STATE_RIGHT;
  if (buttons & Qt::MiddleButton)
    state |= KEY_STATE_MIDDLE;
  if (modifiers & Qt::ShiftModifier)
    state |= KEY_STATE_SHIFT;
  if (modifiers & Qt::ControlModifier)
    state |= KEY_STATE_CONTROL;
  return state;
}

// Virtual-key code of a navigation key, or 0.
int navigationKey(int key) {
  switch (key) {
  case Qt::Key_PageUp:
    return VIRTUAL_KEY_PAGE_UP;
  case Qt::Key_PageDown:
    return VIRTUAL_KEY_PAGE_DOWN;
  case Qt::Key_End:
    return VIRTUAL_KEY_END;
  case Qt::Key_Home:
    return VIRTUAL_KEY_HOME;
  case Qt::Key_Left:
    return VIRTUAL_KEY_LEFT;
  case Qt::Key_Up:
    return VIRTUAL_KEY_UP;
  case Qt::Key_Right:
    return VIRTUAL_KEY_RIGHT;
  case Qt::Key_Down:
    return VIRTUAL_KEY_DOWN;
  case Qt::Key_Select:
    return VIRTUAL_KEY_SELECT;
  case Qt::Key_Printer:
    return VIRTUAL_KEY_PRINT;
  case Qt::Key_Execute:
    return VIRTUAL_KEY_EXECUTE;
  case Qt::Key_Print: // the print-screen key
    return VIRTUAL_KEY_SNAPSHOT;
  case Qt::Key_Insert:
    return VIRTUAL_KEY_INSERT;
  case Qt::Key_Delete:
    return VIRTUAL_KEY_DELETE;
  default:
    return 0;
  }
}

// The character a key types, as the window gets it, or 0.
int typedCharacter(const QKeyEvent& e) {
  const int key = e.key();
  switch (key) {
  case Qt::Key_Escape:
    return 0x1B;
  case Qt::Key_Return:
  case Qt::Key_Enter:
    return 0x0D;
  case Qt::Key_Tab:
    return 0x09;
  case Qt::Key_Backspace:
    return 0x08;
  default:
    break;
  }
  if ((e.modifiers() & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z)
    return key - Qt::Key_A + 1; // Ctrl+Q is 0x11
  const QString text = e.text();
  if (text.size() == 1 && text.at(0).unicode() >= 0x20 && text.at(0).unicode() < 0x7F)
    return text.at(0).unicode();
  return 0;
}

void ReportWindow::keyPressEvent(QKeyEvent* e) {
  const int key = e->key();
  if (key == Qt::Key_Shift) {
    send(WINDOW_MSG_KEY_DOWN, VIRTUAL_KEY_SHIFT);
    return;
  }
  if (key == Qt::Key_Control) {
    send(WINDOW_MSG_KEY_DOWN, VIRTUAL_KEY_CONTROL);
    return;
  }
  if (const int virtualKey = navigationKey(key)) {
    send(WINDOW_MSG_KEY_DOWN, virtualKey);
    return;
  }
  if (e->modifiers() & Qt::AltModifier) {
    if (key == Qt::Key_F4) {
      send(WINDOW_MSG_CLOSE);
    } else if (key >= Qt::Key_A && key <= Qt::Key_Z) {
      const bool upper = (e->modifiers() & Qt::ShiftModifier) != 0;
      send(WINDOW_MSG_SYS_CHAR, (upper ? 'A' : 'a') + (key - Qt::Key_A));
    }
    return;
  }
  if (const int character = typedCharacter(*e))
    send(WINDOW_MSG_CHAR, character);
}

void ReportWindow::keyReleaseEvent(QKeyEvent* e) {
  if (e->isAutoRepeat())
    return;
  if (e->key() == Qt::Key_Shift)
    send(WINDOW_MSG_KEY_UP, VIRTUAL_KEY_SHIFT);
  else if (e->key() == Qt::Key_Control)
    send(WINDOW_MSG_KEY_UP, VIRTUAL_KEY_CONTROL);
}

void ReportWindow::mousePressEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  const int state = keyState(e->buttons(), e->modifiers());
  if (e->button() == Qt::LeftButton)
    send(WINDOW_MSG_LBUTTON_DOWN, state, at.x(), at.y());
  else if (e->button() == Qt::RightButton)
    send(WINDOW_MSG_RBUTTON_DOWN, state, at.x(), at.y());
  else if (e->button() == Qt::MiddleButton)
    send(WINDOW_MSG_MBUTTON_DOWN, state, at.x(), at.y());
}

void ReportWindow::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  const int state = keyState(e->buttons(), e->modifiers());
  if (e->button() == Qt::LeftButton) {
    // Released outside the viewport, the window would not hear of it.
    if (viewport()->rect().contains(at))
      send(WINDOW_MSG_LBUTTON_UP, state, at.x(), at.y());
  } else if (e->button() == Qt::RightButton) {
    send(WINDOW_MSG_RBUTTON_UP, state, at.x(), at.y());
  } else if (e->button() == Qt::MiddleButton) {
    send(WINDOW_MSG_MBUTTON_UP, state, at.x(), at.y());
  }
}

void ReportWindow::mouseMoveEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  send(WINDOW_MSG_NC_HIT_TEST, 0, at.x(), at.y());
  if (viewport()->rect().contains(at))
    send(WINDOW_MSG_MOUSE_MOVE, keyState(e->buttons(), e->modifiers()), at.x(), at.y());
  else if (e->buttons() & Qt::LeftButton)
    send(WINDOW_MSG_NC_MOUSE_MOVE);
}

void ReportWindow::wheelEvent(QWheelEvent* e) {
  const int delta = e->angleDelta().y();
  if (delta != 0)
    send(WINDOW_MSG_MOUSE_WHEEL, delta);
  e->accept();
}

bool ReportWindow::eventFilter(QObject* watched, QEvent* e) {
  if (watched == horizontalScrollBar() || watched == verticalScrollBar()) {
    if (e->type() == QEvent::Wheel) {
      wheelEvent(static_cast<QWheelEvent*>(e));
      return true;
    }
    if (e->type() == QEvent::MouseMove)
      send(WINDOW_MSG_NC_HIT_TEST);
  }
  return QAbstractScrollArea::eventFilter(watched, e);
}

bool hasLocalFiles(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls())
    return false;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile())
      return true;
  return false;
}

void ReportWindow::dragEnterEvent(QDragEnterEvent* e) {
  if (hasLocalFiles(e->mimeData()))
    e->acceptProposedAction();
}

void ReportWindow::dragMoveEvent(QDragMoveEvent* e) {
  if (hasLocalFiles(e->mimeData()))
    e->acceptProposedAction();
}

// The bytes the file system names a local file URL's file with: the percent-decoded path
// of the URL as sent. Decoding it into a QString would replace the bytes of a name that is
// not UTF-8 (a Shift-JIS or Latin-1 name) and name no file.
std::string localFileBytes(const QUrl& url) {
  const QString host = url.host();
  if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
    return QFile::encodeName(url.toLocalFile()).toStdString(); // a share: //host/path
  return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

void ReportWindow::dropEvent(QDropEvent* e) {
  DropRecord record;
  for (const QUrl& url : e->mimeData()->urls())
    if (url.isLocalFile())
      record.paths.push_back(localFileBytes(url));
  if (record.paths.empty())
    return;
  record.point = e->position().toPoint();
  e->acceptProposedAction();
  WindowMessage message = {
      WINDOW_MSG_DROP_FILES, 0, record.point.x(), record.point.y(), 0, 0, &record};
  send(message);
}

// ---- Platform operations ----

bool haveApplication() {
  return QCoreApplication::instance() != nullptr;
}

QScreen* windowScreen() {
  if (gQt.window != nullptr && gQt.window->screen() != nullptr)
    return gQt.window->screen();
  return QGuiApplication::primaryScreen();
}

void qtInvalidate(int x, int y, int width, int height) {
  if (gQt.window != nullptr)
    gQt.window->viewport()->update(QRect(x, y, width, height));
}

void qtScrollBy(int dx, int dy) {
  if (gQt.window != nullptr)
    gQt.window->viewport()->scroll(dx, dy);
}

QScrollBar* scrollBar(int bar) {
  if (gQt.window == nullptr)
    return nullptr;
  return bar == SCROLL_BAR_HORIZONTAL ? gQt.window->horizontalScrollBar()
                                      : gQt.window->verticalScrollBar();
}

void qtSetScrollPosition(int bar, int position) {
  gQt.scrollPosition[bar == SCROLL_BAR_HORIZONTAL ? 0 : 1] = position;
  if (QScrollBar* b = scrollBar(bar))
    b->setValue(position);
}

void qtDispatchMessages() {
  if (haveApplication())
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void qtCopyPageToWindow(const SurfacePage* page, int sourceX, int sourceY, int x, int y, int width,
                        int height) {
  if (gQt.window != nullptr)
    gQt.window->copyPage(page, sourceX, sourceY, x, y, width, height);
}

// The application icon: the hicolor PNGs of the program's installation prefix
// (<prefix>/lib/kinetrace/kinetrace -> <prefix>/share/icons), else the icon theme's.
QIcon applicationIcon() {
  const char id[] = "io.github.kinetrace.Kinetrace";
  QIcon icon;
  char exe[4096];
  if (osExecutablePath(exe, sizeof exe) == 0) {
    const QString icons =
        QString::fromUtf8(exe).section('/', 0, -2) + "/../../share/icons/hicolor/";
    for (int size : {16, 32, 48, 64, 128, 256}) {
      const QString file = icons + QString("%1x%1/apps/%2.png").arg(size).arg(id);
      if (QFile::exists(file))
        icon.addFile(file, QSize(size, size));
    }
  }
  return icon.isNull() ? QIcon::fromTheme(id) : icon;
}

void* qtCreateWindow(const char* title, int x, int y, int width, int height, int defaultPosition,
                     WindowProcedure procedure) {
  qtEnsureApplication();
  if (gQt.window != nullptr || procedure == nullptr)
    return nullptr;
  ReportWindow* window = new ReportWindow(procedure);
  gQt.window = window;
  gQt.scrollPosition[0] = gQt.scrollPosition[1] = 0; // a new window starts at the top left
  window->setWindowTitle(fromSjis(title));
  window->setWindowIcon(applicationIcon());
  window->send(WINDOW_MSG_CREATE);
  window->applyMaximumSize();
  window->resizeOurselves(width, height);
  if (defaultPosition == 0)
    window->move(x, y);
  return window;
}

void qtDestroyWindow() {
  delete gQt.window;
  gQt.window = nullptr;
}

void qtShowWindow() {
  if (gQt.window == nullptr)
    return;
  gQt.window->show();
  gQt.window->activateWindow();
  gQt.window->setFocus();
}

void qtSetWindowPos(int zOrder, int x, int y, int width, int height, unsigned flags) {
  ReportWindow* window = gQt.window;
  if (window == nullptr)
    return;
  window->applyMaximumSize();
  if (zOrder == WINDOW_Z_TOPMOST) {
    window->setTopmost(true);
  } else if (zOrder == WINDOW_Z_NOTOPMOST) {
    if (window->topmost())
      window->setTopmost(false);
    window->raise();
  }
  // A maximised window's size and place are the window manager's.
  if (window->isMaximized())
    return;
  if ((flags & WINDOW_POS_NO_SIZE) == 0)
    window->resizeOurselves(width, height);
  if ((flags & WINDOW_POS_NO_MOVE) == 0)
    window->move(x, y);
}

void qtGetWindowRect(WindowRect* outer) {
  if (gQt.window == nullptr) {
    *outer = WindowRect{0, 0, 0, 0};
    return;
  }
  const QPoint at = gQt.window->pos();
  *outer = WindowRect{at.x(), at.y(), at.x() + gQt.window->width(), at.y() + gQt.window->height()};
}

void qtSetWindowText(const char* sjisTitle) {
  if (gQt.window != nullptr)
    gQt.window->setWindowTitle(fromSjis(sjisTitle));
}

void qtAdjustWindowRect(WindowRect*) {} // the frame is the window manager's

int qtGetSystemMetric(int metric) {
  qtEnsureApplication();
  switch (metric) {
  case METRIC_SCREEN_WIDTH:
    return windowScreen() != nullptr ? windowScreen()->geometry().width() : 0;
  case METRIC_SCREEN_HEIGHT:
    return windowScreen() != nullptr ? windowScreen()->geometry().height() : 0;
  case METRIC_VERTICAL_BAR_WIDTH:
  case METRIC_HORIZONTAL_BAR_HEIGHT:
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, gQt.window);
  case METRIC_CURSOR_WIDTH:
  case METRIC_CURSOR_HEIGHT:
    return CURSOR_CELL;
  default: // the caption height, among others
    return 0;
  }
}

void qtGetWorkArea(WindowRect* area) {
  qtEnsureApplication();
  QRect r = windowScreen() != nullptr ? windowScreen()->availableGeometry() : QRect();
  *area = WindowRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

uint32_t qtWindowTextColour() {
  if (!haveApplication())
    return 0;
  const QColor c = QApplication::palette().color(QPalette::WindowText);
  return static_cast<uint32_t>(c.red()) | static_cast<uint32_t>(c.green()) << 8 |
         static_cast<uint32_t>(c.blue()) << 16;
}

void qtSetScrollRange(int bar, int maximum) {
  QScrollBar* b = scrollBar(bar);
  if (b == nullptr)
    return;
  const bool horizontal = bar == SCROLL_BAR_HORIZONTAL;
  b->setRange(0, maximum);
  b->setPageStep(horizontal ? gQt.window->viewport()->width() : gQt.window->viewport()->height());
  const Qt::ScrollBarPolicy policy = maximum > 0 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
  if (horizontal)
    gQt.window->setHorizontalScrollBarPolicy(policy);
  else
    gQt.window->setVerticalScrollBarPolicy(policy);
}

void qtShowScrollBar(int bar, int show) {
  if (gQt.window == nullptr)
    return;
  const Qt::ScrollBarPolicy policy = show ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
  if (bar == SCROLL_BAR_HORIZONTAL)
    gQt.window->setHorizontalScrollBarPolicy(policy);
  else
    gQt.window->setVerticalScrollBarPolicy(policy);
}

void qtWaitForEvent(int milliseconds) {
  if (!haveApplication()) {
    osSleepMs(milliseconds);
    return;
  }
  // Qt's event loop sleeps until an event comes; the timer is the latest one.
  QTimer timer;
  timer.setSingleShot(true);
  timer.start(milliseconds);
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void* qtLoadSystemCursor(int which) {
  static const Qt::CursorShape kShapes[SYSTEM_CURSOR_COUNT] = {
      Qt::ArrowCursor,   Qt::CrossCursor,     Qt::WaitCursor,    Qt::ForbiddenCursor,
      Qt::SizeAllCursor, Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeHorCursor};
  // Shared and never destroyed, as a system's own cursors are: the table loads them for
  // every report and gives back only the cursors it created.
  static QCursor* shared[SYSTEM_CURSOR_COUNT] = {};
  if (which < 0 || which >= SYSTEM_CURSOR_COUNT)
    return nullptr;
  qtEnsureApplication();
  if (shared[which] == nullptr)
    shared[which] = new QCursor(kShapes[which]);
  return shared[which];
}

void* qtCreateCursor(int hotX, int hotY, int width, int height, const uint8_t* andPlane,
                     const uint8_t* xorPlane) {
  qtEnsureApplication();
  // Windows: AND 1 XOR 0 transparent, AND 0 XOR 0 black, AND 0 XOR 1 white. Qt: mask 0
  // transparent, mask 1 with bitmap 1 black, with bitmap 0 white.
  QImage bitmap(CURSOR_CELL, CURSOR_CELL, QImage::Format_MonoLSB);
  QImage mask(CURSOR_CELL, CURSOR_CELL, QImage::Format_MonoLSB);
  for (QImage* plane : {&bitmap, &mask}) {
    plane->setColorCount(2);
    plane->setColor(0, qRgb(255, 255, 255)); // color0: bit 0
    plane->setColor(1, qRgb(0, 0, 0));       // color1: bit 1
    plane->fill(0);
  }
  for (int y = 0; y < CURSOR_CELL; ++y) {
    for (int x = 0; x < CURSOR_CELL; ++x) {
      const int byte = y * 4 + x / 8;
      const int bit = 0x80 >> (x % 8);
      const bool andBit = (andPlane[byte] & bit) != 0;
      const bool xorBit = (xorPlane[byte] & bit) != 0;
      mask.setPixel(x, y, andBit ? 0 : 1);
      bitmap.setPixel(x, y, !andBit && !xorBit ? 1 : 0);
    }
  }
  QBitmap b = QBitmap::fromImage(bitmap);
  QBitmap m = QBitmap::fromImage(mask);
  if (width != CURSOR_CELL || height != CURSOR_CELL) {
    b = QBitmap::fromImage(bitmap.scaled(width, height));
    m = QBitmap::fromImage(mask.scaled(width, height));
  }
  return new QCursor(b, m, hotX, hotY);
}

void qtDestroyCursor(void* cursor) {
  delete static_cast<QCursor*>(cursor);
}

void qtSetCursor(void* cursor) {
  if (gQt.window != nullptr && cursor != nullptr)
    gQt.window->viewport()->setCursor(*static_cast<QCursor*>(cursor));
}

int qtClipboardEmpty() {
  if (!haveApplication())
    return -1;
  QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
  return 0;
}

int qtClipboardSetText(char* block) {
  if (!haveApplication())
    return -1;
  QGuiApplication::clipboard()->setText(QString::fromLatin1(block), QClipboard::Clipboard);
  std::free(block);
  return 0;
}

void qtDragAcceptFiles(int accept) {
  if (gQt.window == nullptr)
    return;
  gQt.window->setAcceptDrops(accept != 0);
  gQt.window->viewport()->setAcceptDrops(accept != 0);
}

int qtDragQueryFileW(void* drop, int index, char16_t* out, int size) {
  const DropRecord& record = *static_cast<const DropRecord*>(drop);
  if (index < 0)
    return static_cast<int>(record.paths.size());
  if (index >= static_cast<int>(record.paths.size()))
    return 0;
  std::vector<char16_t> wide(record.paths[index].size() + 1);
  if (utf8PathToWide(wide.data(), wide.size(), record.paths[index].c_str()) != 0)
    return 0;
  const int length = static_cast<int>(std::char_traits<char16_t>::length(wide.data()));
  if (length < size)
    std::memcpy(out, wide.data(), (length + 1) * sizeof(char16_t));
  return length;
}

int qtDragQueryFile(void* drop, int index, char* out, int size) {
  const DropRecord& record = *static_cast<const DropRecord*>(drop);
  if (index < 0)
    return static_cast<int>(record.paths.size());
  if (index >= static_cast<int>(record.paths.size()))
    return 0;
  std::vector<char> ansi(2 * record.paths[index].size() + 1);
  if (utf8PathToAnsi(ansi.data(), ansi.size(), record.paths[index].c_str()) != 0)
    return 0;
  const int length = static_cast<int>(std::strlen(ansi.data()));
  if (length < size)
    std::memcpy(out, ansi.data(), length + 1);
  return length;
}

void qtDragQueryPoint(void* drop, int* x, int* y) {
  const DropRecord& record = *static_cast<const DropRecord*>(drop);
  *x = record.point.x();
  *y = record.point.y();
}

void qtDragFinish(void*) {} // the record belongs to the drop event

DisplayPlatform makePlatform() {
  DisplayPlatform p{};
  p.invalidate = qtInvalidate;
  p.scrollBy = qtScrollBy;
  p.setScrollPosition = qtSetScrollPosition;
  p.dispatchMessages = qtDispatchMessages;
  p.copyPageToWindow = qtCopyPageToWindow;
  p.createWindow = qtCreateWindow;
  p.destroyWindow = qtDestroyWindow;
  p.showWindow = qtShowWindow;
  p.setWindowPos = qtSetWindowPos;
  p.getWindowRect = qtGetWindowRect;
  p.setWindowText = qtSetWindowText;
  p.adjustWindowRect = qtAdjustWindowRect;
  p.getSystemMetric = qtGetSystemMetric;
  p.getWorkArea = qtGetWorkArea;
  p.windowTextColour = qtWindowTextColour;
  p.setScrollRange = qtSetScrollRange;
  p.showScrollBar = qtShowScrollBar;
  p.waitForEvent = qtWaitForEvent;
  p.loadSystemCursor = qtLoadSystemCursor;
  p.createCursor = qtCreateCursor;
  p.destroyCursor = qtDestroyCursor;
  p.setClassCursor = qtSetCursor; // a widget has one cursor: class and current are the same
  p.setCursor = qtSetCursor;
  p.clipboardEmpty = qtClipboardEmpty;
  p.clipboardSetText = qtClipboardSetText;
  p.dragAcceptFiles = qtDragAcceptFiles;
  p.dragQueryFileW = qtDragQueryFileW;
  p.dragQueryFile = qtDragQueryFile;
  p.dragQueryPoint = qtDragQueryPoint;
  p.dragFinish = qtDragFinish;
  return p;
}

const DisplayPlatform kQtPlatform = makePlatform();

} // namespace

const DisplayPlatform* qtWindowPlatform() {
  return &kQtPlatform;
}

void* qtWindowWidget() {
  return static_cast<QAbstractScrollArea*>(gQt.window);
}
