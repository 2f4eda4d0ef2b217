// ---- Index ----
// ---- Display probe ----
// ---- Application ----
// ---- Text conversion ----
// ---- Open dialog ----
// ---- Message boxes ----
#include "backends/qt/qt_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <arpa/inet.h>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

#include "text/encoding.h"
#include "text/pathconv.h"
#include "text/trace.h"

// ---- Display probe ----

namespace {

constexpr int kConnectTimeoutMs = 3000;

// Connects to a Unix socket; abstract names start with '@'. 1 when it accepts.
int unixSocketAccepts(const std::string& path) {
  struct sockaddr_un address;
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path)
    return 0;
  std::memcpy(address.sun_path, path.data(), path.size());
  socklen_t length = static_cast<socklen_t>(offsetof(struct sockaddr_un, sun_path) + path.size());
  if (path[0] == '@')
    address.sun_path[0] = '\0';
  else
    length += 1; // the terminator of a file-system name
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0)
    return 0;
  int accepted = ::connect(fd, reinterpret_cast<struct sockaddr*>(&address), length) == 0;
  ::close(fd);
  return accepted;
}

// Connects to host:port by TCP, waiting at most kConnectTimeoutMs. 1 when it accepts.
int tcpAccepts(const std::string& host, int port) {
  struct addrinfo hints;
  std::memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  struct addrinfo* found = nullptr;
  std::string service = std::to_string(port);
  if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0)
    return 0;
  int accepted = 0;
  for (struct addrinfo* a = found; a != nullptr && !accepted; a = a->ai_next) {
    int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
    if (fd < 0)
      continue;
    if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
      accepted = 1;
    } else if (errno == EINPROGRESS) {
      struct pollfd p = {fd, POLLOUT, 0};
      int error = 0;
      socklen_t size = sizeof error;
      if (::poll(&p, 1, kConnectTimeoutMs) == 1 &&
          ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0)
        accepted = 1;
    }
    ::close(fd);
  }
  ::freeaddrinfo(found);
  return accepted;
}

// DISPLAY is [protocol/][host]:number[.screen]. A local display listens on
// /tmp/.X11-unix/X<number> (or the abstract socket of that name), a remote one on TCP
// port 6000 + number.
int x11DisplayAccepts(const char* display) {
  std::string text = display;
  size_t slash = text.find('/');
  std::string protocol;
  if (slash != std::string::npos) {
    protocol = text.substr(0, slash);
    text = text.substr(slash + 1);
  }
  size_t colon = text.rfind(':');
  if (colon == std::string::npos)
    return 0;
  std::string host = text.substr(0, colon);
  const char* digits = text.c_str() + colon + 1;
  char* end = nullptr;
  long number = std::strtol(digits, &end, 10);
  if (end == digits || number < 0 || number > 59535 || (*end != '\0' && *end != '.'))
    return 0;
  if (host.empty() || host == "unix" || protocol == "unix") {
    std::string socketPath = "/tmp/.X11-unix/X" + std::to_string(number);
    return unixSocketAccepts(socketPath) || unixSocketAccepts("@" + socketPath);
  }
  if (host.size() > 2 && host.front() == '[' && host.back() == ']')
    host = host.substr(1, host.size() - 2);
  return tcpAccepts(host, 6000 + static_cast<int>(number));
}

// WAYLAND_DISPLAY is a socket name in XDG_RUNTIME_DIR, or an absolute path.
int waylandDisplayAccepts(const char* display) {
  std::string path = display;
  if (path[0] != '/') {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || runtime[0] == '\0')
      return 0;
    path = std::string(runtime) + "/" + path;
  }
  return unixSocketAccepts(path);
}

int waylandPluginInstalled() {
  QString platforms = QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms");
  QDir dir(platforms);
  return dir.entryList({QStringLiteral("libqwayland*.so")}, QDir::Files).isEmpty() ? 0 : 1;
}

bool isSet(const char* value) {
  return value != nullptr && value[0] != '\0';
}

} // namespace

int qtDisplayAvailable() {
  if (isSet(std::getenv("QT_QPA_PLATFORM")))
    return 1;
  const char* display = std::getenv("DISPLAY");
  if (isSet(display) && x11DisplayAccepts(display))
    return 1; // Qt's default platform here is X11 (xcb)
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (isSet(wayland) && waylandDisplayAccepts(wayland) && waylandPluginInstalled()) {
    ::setenv("QT_QPA_PLATFORM", "wayland", 1);
    return 1;
  }
  return 0;
}

// ---- Application ----

void qtEnsureApplication() {
  if (QCoreApplication::instance() != nullptr)
    return;
  if (!qtDisplayAvailable()) {
    std::fputs("kinetrace: no display available; use --print or --json for a console report\n",
               stderr);
    std::exit(1);
  }
  // QApplication keeps references to argc and argv for its whole life, which is the
  // process's: it is never destroyed, so no window outlives it.
  static int argc = 1;
  static char name[] = "kinetrace";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
  // Lets the desktop (Wayland above all) match the window to the desktop entry and icon.
  QGuiApplication::setDesktopFileName("io.github.kinetrace.Kinetrace");
}

// ---- Text conversion ----

namespace {

QString fromWide(const char16_t* text) {
  return text != nullptr ? QString::fromUtf16(text) : QString();
}

// Shift-JIS through the program's own table, as the rest of the program reads it.
QString fromSjis(const char* text) {
  if (text == nullptr)
    return QString();
  std::vector<char16_t> wide(2 * std::strlen(text) + 1);
  strsjis2uni(wide.data(), text);
  return QString::fromUtf16(wide.data());
}

// A path of the program's form as the file system names it ('/' separators, UTF-8).
QString pathToQt(const OpenDialogRecord& record, const char* ansi, const char16_t* wide) {
  char utf8[4096];
  int result = record.wide ? widePathToUtf8(utf8, sizeof utf8, wide)
                           : ansiPathToUtf8(utf8, sizeof utf8, ansi);
  return result == 0 ? QString::fromUtf8(utf8) : QString();
}

// Writes a path chosen in Qt to the record's file buffer of its form. 0, or -1 when it
// does not fit.
int pathFromQt(OpenDialogRecord* record, const QString& path) {
  QByteArray utf8 = path.toUtf8();
  if (record->wide)
    return utf8PathToWide(record->fileW, PATH_SIZE, utf8.constData());
  return utf8PathToAnsi(record->file, PATH_SIZE, utf8.constData());
}

} // namespace

// ---- Open dialog ----

namespace {

// "*.VMD;*.TXT" as Qt's space-separated name patterns. Qt's own dialog matches them without
// regard to case, as Windows does. "*.*" means every file, as on Windows, also one without
// a dot.
QString qtPatterns(const QString& patterns) {
  QStringList result;
  for (const QString& pattern : patterns.split(u';', Qt::SkipEmptyParts)) {
    QString trimmed = pattern.trimmed();
    result << (trimmed == QStringLiteral("*.*") ? QStringLiteral("*") : trimmed);
  }
  return result.join(u' ');
}

// The record's list as Qt name filters: "description (patterns)"; with the pattern part
// hidden, the description is what the user sees.
QStringList nameFilters(const OpenDialogRecord& record) {
  QStringList filters;
  int i = 0;
  while (i < OPEN_DIALOG_FILTER_SIZE - 1) {
    QString description;
    QString patterns;
    int next;
    if (record.wide) {
      if (record.filterW[i] == 0)
        break;
      description = fromWide(record.filterW + i);
      next = i + static_cast<int>(std::char_traits<char16_t>::length(record.filterW + i)) + 1;
      if (next >= OPEN_DIALOG_FILTER_SIZE)
        break;
      patterns = fromWide(record.filterW + next);
      next += static_cast<int>(std::char_traits<char16_t>::length(record.filterW + next)) + 1;
    } else {
      if (record.filter[i] == '\0')
        break;
      description = fromSjis(record.filter + i);
      next = i + static_cast<int>(std::strlen(record.filter + i)) + 1;
      if (next >= OPEN_DIALOG_FILTER_SIZE)
        break;
      patterns = fromSjis(record.filter + next);
      next += static_cast<int>(std::strlen(record.filter + next)) + 1;
    }
    filters << description + QStringLiteral(" (") + qtPatterns(patterns) + u')';
    i = next;
  }
  return filters;
}

} // namespace

int qtShowOpenDialog(OpenDialogRecord* record) {
  qtEnsureApplication();
  QFileDialog dialog(static_cast<QWidget*>(record->owner));
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode((record->flags & OFN_FILEMUSTEXIST) != 0 ? QFileDialog::ExistingFile
                                                              : QFileDialog::AnyFile);
  dialog.setWindowTitle(record->wide ? fromWide(record->titleW) : fromSjis(record->title));

  QStringList filters = nameFilters(*record);
  dialog.setNameFilters(filters);
  // Index 0 and index 1 both mean the first entry.
  if (record->filterIndex >= 1 && record->filterIndex <= static_cast<uint32_t>(filters.size()))
    dialog.selectNameFilter(filters.at(static_cast<int>(record->filterIndex) - 1));

  QString directory = pathToQt(*record, record->initialDir, record->initialDirW);
  if (!directory.isEmpty())
    dialog.setDirectory(directory);
  QString file = pathToQt(*record, record->file, record->fileW);
  if (!file.isEmpty())
    dialog.selectFile(file);
  QString suffix = record->wide ? fromWide(record->defExtW) : fromSjis(record->defExt);
  if (!suffix.isEmpty())
    dialog.setDefaultSuffix(suffix);

  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return DIALOG_CANCELLED;
  if (pathFromQt(record, dialog.selectedFiles().constFirst()) != 0) {
    trace("open dialog: chosen path does not fit %d characters", PATH_SIZE - 1);
    if (record->wide)
      record->fileW[0] = 0;
    else
      record->file[0] = '\0';
    return DIALOG_PATH_TOO_LONG;
  }
  return DIALOG_FILE_CHOSEN;
}

// ---- Message boxes ----

int qtShowMessageBox(const char16_t* text, const char16_t* caption, unsigned style, void* owner) {
  qtEnsureApplication();
  QMessageBox box(static_cast<QWidget*>(owner));
  box.setTextFormat(Qt::PlainText);
  QString body = fromWide(text);
  body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  box.setText(body);
  box.setWindowTitle(fromWide(caption));

  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  QMessageBox::StandardButton first = QMessageBox::Ok;
  switch (style & MB_TYPEMASK) {
  case MB_OKCANCEL:
    buttons = QMessageBox::Ok | QMessageBox::Cancel;
    break;
  case MB_YESNOCANCEL:
    buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    first = QMessageBox::Yes;
    break;
  case MB_YESNO:
    buttons = QMessageBox::Yes | QMessageBox::No;
    first = QMessageBox::Yes;
    break;
  default:
    break;
  }
  box.setStandardButtons(buttons);
  box.setDefaultButton(first);

  switch (style & MB_ICONMASK) {
  case MB_ICONERROR:
    box.setIcon(QMessageBox::Critical);
    break;
  case MB_ICONQUESTION:
    box.setIcon(QMessageBox::Question);
    break;
  case MB_ICONWARNING:
    box.setIcon(QMessageBox::Warning);
    break;
  case MB_ICONINFORMATION:
    box.setIcon(QMessageBox::Information);
    break;
  default:
    break;
  }
  if ((style & MB_TOPMOST) != 0)
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);

  box.exec();
  switch (box.standardButton(box.clickedButton())) {
  case QMessageBox::Ok:
    return IDOK;
  case QMessageBox::Yes:
    return IDYES;
  case QMessageBox::No:
    return IDNO;
  case QMessageBox::Cancel:
    return IDCANCEL;
  default:
    // Closed without a button (no escape button): Cancel where there is one.
    if (buttons.testFlag(QMessageBox::Cancel))
      return IDCANCEL;
    return buttons.testFlag(QMessageBox::No) ? IDNO : IDOK;
  }
}
