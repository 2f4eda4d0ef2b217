#include "backends/qt/qt_dialogs.h"

#include <gtest/gtest.h>

#include "common/tempdir.h"
#include "common/text_convert.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ftw.h>
#include <functional>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "backends/qt/qt_backend.h"
#include "text/pathconv.h"

namespace {

// Sets or clears an environment variable for the life of the object.
class EnvOverride {
public:
  EnvOverride(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    hadValue_ = old != nullptr;
    if (hadValue_)
      old_ = old;
    if (value != nullptr)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~EnvOverride() {
    if (hadValue_)
      setenv(name_.c_str(), old_.c_str(), 1);
    else
      unsetenv(name_.c_str());
  }

private:
  std::string name_;
  std::string old_;
  bool hadValue_;
};

// A listening socket that stands in for a display server.
class Listener {
public:
  // An abstract Unix socket named like the one of X display number.
  static Listener x11Abstract(int number) {
    Listener l;
    l.fd_ = socket(AF_UNIX, SOCK_STREAM, 0);
    struct sockaddr_un a;
    std::memset(&a, 0, sizeof a);
    a.sun_family = AF_UNIX;
    std::string name = "/tmp/.X11-unix/X" + std::to_string(number);
    std::memcpy(a.sun_path + 1, name.data(), name.size());
    socklen_t length =
        static_cast<socklen_t>(offsetof(struct sockaddr_un, sun_path) + 1 + name.size());
    if (bind(l.fd_, reinterpret_cast<struct sockaddr*>(&a), length) != 0 || listen(l.fd_, 4) != 0)
      l.close();
    return l;
  }
  // TCP on 127.0.0.1 with a port the system picks.
  static Listener tcp() {
    Listener l;
    l.fd_ = socket(AF_INET, SOCK_STREAM, 0);
    struct sockaddr_in a;
    std::memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    if (bind(l.fd_, reinterpret_cast<struct sockaddr*>(&a), sizeof a) != 0 ||
        listen(l.fd_, 4) != 0 ||
        getsockname(l.fd_, reinterpret_cast<struct sockaddr*>(&a), &size) != 0) {
      l.close();
      return l;
    }
    l.port_ = ntohs(a.sin_port);
    return l;
  }
  Listener(Listener&& other) noexcept : fd_(other.fd_), port_(other.port_) { other.fd_ = -1; }
  ~Listener() { close(); }
  bool ok() const { return fd_ >= 0; }
  int port() const { return port_; }
  void close() {
    if (fd_ >= 0)
      ::close(fd_);
    fd_ = -1;
  }

private:
  Listener() = default;
  int fd_ = -1;
  int port_ = 0;
};

template <class T>
T* visibleTopLevel() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    T* found = qobject_cast<T*>(w);
    if (found != nullptr && found->isVisible())
      return found;
  }
  return nullptr;
}

// Runs step on the visible dialog of type T from inside its event loop, every 20 ms, until
// step returns true. After five seconds the dialog is rejected so a fault cannot hang.
template <class T>
class DialogDriver {
public:
  explicit DialogDriver(std::function<bool(T*)> step) : step_(std::move(step)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    timer_.start(20);
  }
  bool finished() const { return finished_; }

private:
  void tick() {
    T* dialog = visibleTopLevel<T>();
    if (++ticks_ > 250) {
      timer_.stop();
      if (dialog != nullptr)
        dialog->reject();
      return;
    }
    if (dialog != nullptr && step_(dialog)) {
      finished_ = true;
      timer_.stop();
    }
  }
  std::function<bool(T*)> step_;
  QTimer timer_;
  int ticks_ = 0;
  bool finished_ = false;
};

// The dialogs as the program installs them, from the backend's table.
void installBackendDialogs() {
  setOpenDialogHandler(kinetraceQtBackend()->showOpenDialog);
  setMessageBoxHandler(kinetraceQtBackend()->showMessageBox);
}

// The offscreen platform, as the test runner sets it; also when run by hand.
void startOffscreenApplication() {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qtEnsureApplication();
  installBackendDialogs();
}

// Enabled names the file dialog's list shows, once its directory is loaded; empty before.
QStringList shownNames(QFileDialog* dialog) {
  QStringList names;
  QListView* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
  if (view == nullptr || view->model() == nullptr)
    return names;
  QAbstractItemModel* model = view->model();
  QModelIndex root = view->rootIndex();
  for (int row = 0; row < model->rowCount(root); row++) {
    QModelIndex index = model->index(row, 0, root);
    if (model->flags(index) & Qt::ItemIsEnabled)
      names << model->data(index).toString();
  }
  names.sort();
  return names;
}

} // namespace

TEST(QtDialogs, DisplayProbe) {
  EnvOverride platform("QT_QPA_PLATFORM", nullptr);
  EnvOverride wayland("WAYLAND_DISPLAY", nullptr);
  EnvOverride display("DISPLAY", nullptr);
  EXPECT_EQ(qtDisplayAvailable(), 0);
  {
    EnvOverride offscreen("QT_QPA_PLATFORM", "offscreen");
    EXPECT_EQ(qtDisplayAvailable(), 1);
  }
  {
    EnvOverride empty("QT_QPA_PLATFORM", "");
    EXPECT_EQ(qtDisplayAvailable(), 0);
  }

  int number = 40000 + static_cast<int>(getpid() % 10000);
  std::string local = ":" + std::to_string(number);
  {
    Listener server = Listener::x11Abstract(number);
    ASSERT_TRUE(server.ok());
    for (std::string name : {local, local + ".0", "unix" + local}) {
      EnvOverride x("DISPLAY", name.c_str());
      EXPECT_EQ(qtDisplayAvailable(), 1) << name;
    }
  }
  for (std::string name : {local, std::string("nohost"), std::string(":x"), std::string("")}) {
    EnvOverride x("DISPLAY", name.c_str());
    EXPECT_EQ(qtDisplayAvailable(), 0) << name;
  }

  Listener tcp = Listener::tcp();
  ASSERT_TRUE(tcp.ok());
  ASSERT_GE(tcp.port(), 6000);
  std::string remote = "127.0.0.1:" + std::to_string(tcp.port() - 6000);
  {
    EnvOverride x("DISPLAY", remote.c_str());
    EXPECT_EQ(qtDisplayAvailable(), 1) << remote;
  }
  tcp.close();
  {
    EnvOverride x("DISPLAY", remote.c_str());
    EXPECT_EQ(qtDisplayAvailable(), 0) << remote;
  }
}

TEST(QtDialogs, NoDisplayEndsTheProcessWithAMessage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        unsetenv("QT_QPA_PLATFORM");
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        installBackendDialogs();
        messageBoxW(u"text", u"caption", MB_OK);
      },
      ::testing::ExitedWithCode(1),
      "^kinetrace: no display available; use --print or --json for a console report\n$");
}

TEST(QtDialogs, OpenDialogShowsTheRecordAndAddsTheExtension) {
  startOffscreenApplication();
  test_files::TempDir d;
  ASSERT_FALSE(d.dir().empty());
  d.file("walk.vmd");
  d.file("Upper.VMD");
  d.file("notes.txt");
  mkdir((d.dir() + "/sub").c_str(), 0700);

  QString title;
  QString directory;
  QString suffix;
  QStringList filters;
  QString selected;
  QStringList names;
  DialogDriver<QFileDialog> driver([&](QFileDialog* dialog) {
    names = shownNames(dialog);
    if (names.isEmpty())
      return false; // still loading
    title = dialog->windowTitle();
    directory = dialog->directory().absolutePath();
    suffix = dialog->defaultSuffix();
    filters = dialog->nameFilters();
    selected = dialog->selectedNameFilter();
    QLineEdit* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (edit == nullptr)
      return false;
    edit->setText(QStringLiteral("walk"));   // typed without extension
    static_cast<QDialog*>(dialog)->accept(); // QFileDialog hides it; still its own accept()
    return true;
  });
  char16_t out[260] = u"untouched";
  std::u16string initial = test_text::widePathOf(d.path("")) + u"\\";
  int result = openfiledlgW(out, DIALOG_KIND_MOTION, initial.c_str());
  ASSERT_TRUE(driver.finished());
  EXPECT_EQ(result, 0);
  EXPECT_EQ(std::u16string(out), test_text::widePathOf(d.path("walk.vmd")));
  EXPECT_EQ(title, QStringLiteral("Open MMD Motion File"));
  EXPECT_EQ(directory, QString::fromStdString(d.dir()));
  EXPECT_EQ(suffix, QStringLiteral("vmd"));
  ASSERT_EQ(filters.size(), 2);
  EXPECT_TRUE(selected.startsWith(QStringLiteral("MMD Motion File"))) << selected.toStdString();
  // *.VMD shows both cases; the text file is filtered out; folders stay reachable.
  EXPECT_EQ(names.join(u',').toStdString(), "Upper.VMD,sub,walk.vmd");
}

TEST(QtDialogs, OpenDialogAnsiFormAndCancel) {
  startOffscreenApplication();
  test_files::TempDir d;
  ASSERT_FALSE(d.dir().empty());
  d.file("\xE6\xAD\xA9\xE3\x81\x8F.vmd"); // 歩く.vmd
  d.file("other.bin");
  QString fileName;
  QStringList names;
  std::string target = d.dir() + "/\xE6\xAD\xA9\xE3\x81\x8F.vmd";
  DialogDriver<QFileDialog> driver([&](QFileDialog* dialog) {
    names = shownNames(dialog);
    if (names.isEmpty())
      return false;
    dialog->selectFile(QString::fromUtf8(target.c_str()));
    static_cast<QDialog*>(dialog)->accept(); // QFileDialog hides it; still its own accept()
    return true;
  });
  char out[260] = "untouched";
  // The initial file selects the motion filter: 歩く.vmd in Shift-JIS.
  char initial[1024];
  utf8PathToAnsi(initial, sizeof initial, d.path("\xE6\xAD\xA9\xE3\x81\x8F.vmd").c_str());
  EXPECT_EQ(openfiledlg(out, DIALOG_KIND_MOTION, initial), 0);
  ASSERT_TRUE(driver.finished());
  EXPECT_EQ(std::string(out), std::string(initial));
  EXPECT_EQ(names.join(u',').toStdString(), "\xE6\xAD\xA9\xE3\x81\x8F.vmd");

  // All Files shows a name without a dot too, as "*.*" does on Windows.
  d.file("README");
  DialogDriver<QFileDialog> canceller([&](QFileDialog* dialog) {
    names = shownNames(dialog);
    if (names.isEmpty())
      return false;
    dialog->reject();
    return true;
  });
  std::strcpy(out, "untouched");
  EXPECT_EQ(openfiledlg(out, DIALOG_KIND_ANY, initial), -1);
  EXPECT_TRUE(canceller.finished());
  EXPECT_STREQ(out, "untouched");
  EXPECT_EQ(names.join(u',').toStdString(), "README,other.bin,\xE6\xAD\xA9\xE3\x81\x8F.vmd");
}

TEST(QtDialogs, MessageBoxLooksAndAnswersAsOnWindows) {
  startOffscreenApplication();
  struct Case {
    unsigned style;
    QMessageBox::StandardButton press; // NoButton: close the box instead
    int answer;
  } cases[] = {
      {MB_OKCANCEL | MB_ICONINFORMATION | MB_TOPMOST, QMessageBox::Ok, IDOK},
      {MB_OKCANCEL | MB_ICONINFORMATION | MB_TOPMOST, QMessageBox::Cancel, IDCANCEL},
      {MB_OKCANCEL | MB_ICONINFORMATION | MB_TOPMOST, QMessageBox::NoButton, IDCANCEL},
      {MB_OK | MB_ICONINFORMATION | MB_TOPMOST, QMessageBox::NoButton, IDOK},
      {MB_YESNO, QMessageBox::No, IDNO},
  };
  for (const Case& c : cases) {
    QString text;
    QString caption;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool onTop = false;
    DialogDriver<QMessageBox> driver([&](QMessageBox* box) {
      text = box->text();
      caption = box->windowTitle();
      buttons = box->standardButtons();
      icon = box->icon();
      onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
      if (c.press == QMessageBox::NoButton)
        box->close();
      else
        box->button(c.press)->click();
      return true;
    });
    // " モーション \r\n   walk \r\n" in Shift-JIS.
    const char sjis[] = " \x83\x82\x81\x5B\x83\x56\x83\x87\x83\x93 \r\n   walk \r\n";
    EXPECT_EQ(messageBoxA(sjis, "Kinevert", c.style), c.answer) << c.style;
    ASSERT_TRUE(driver.finished());
    EXPECT_EQ(text, QString::fromUtf16(u" \u30E2\u30FC\u30B7\u30E7\u30F3 \n   walk \n"));
    EXPECT_EQ(caption, QStringLiteral("Kinevert"));
    EXPECT_EQ(onTop, (c.style & MB_TOPMOST) != 0);
    if ((c.style & MB_ICONMASK) == MB_ICONINFORMATION) {
      EXPECT_EQ(icon, QMessageBox::Information);
    }
    if ((c.style & MB_TYPEMASK) == MB_OKCANCEL) {
      EXPECT_EQ(buttons, QMessageBox::Ok | QMessageBox::Cancel);
    }
  }
}
