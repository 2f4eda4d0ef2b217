// The OS layer: the few operating-system services the program needs (files, folders, the
// process, the user's language), implemented by os_posix.cpp on Linux and by os_win32.cpp
// on Windows. It is the bottom of the program and includes nothing of the folders above. Paths here
// are UTF-8, as the Linux file system speaks them; converting the program's Shift-JIS and UTF-16
// path forms to and from UTF-8 is the text subsystem's job (text/pathconv.h). On Windows the two
// forms are the system's own (the ANSI code page and UTF-16), so the section at the end takes them
// as they are, and the UTF-8 functions serve only callers that hold a UTF-8 path.
//
// Windows share modes have no meaning here: a file opened for reading never locks others
// out, and nothing here emulates that.
//
// Every function returns a plain result (descriptor, count, 0 or -1); errno is left as the
// system set it, for callers that want to say why.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// ---- Files by descriptor (the handle mode of the file objects) ----

// errno of an open refused because the path names neither a regular file nor a character
// device (a FIFO, a socket, a block device). No errno of the system has this value.
constexpr int OS_ERROR_NOT_REGULAR = 0x7E01;

// open(path, O_RDONLY | O_NONBLOCK), then fstat before any byte is read: a regular file or a
// character device is kept (blocking again); a directory is refused with errno EISDIR,
// anything else with OS_ERROR_NOT_REGULAR. A FIFO never waits here for a writer.
// Returns the descriptor, or -1.
int osOpenRead(const char* utf8Path);
// read(); retried on EINTR. Returns bytes read (0 at the end), or -1.
long osRead(int fd, void* buffer, long count);
// lseek(); origin 0 start, 1 current, 2 end. Returns the new offset, or -1.
int64_t osSeek(int fd, int64_t offset, int origin);
// fstat() size of a regular file, or -1.
int64_t osFileSize(int fd);
void osClose(int fd);

// ---- Files by C stream (the stream mode of the file objects) ----

// fopen(path, mode). Returns nullptr on failure. A mode for reading opens through
// osOpenRead, so it refuses what that refuses, with the same errno (fopen on Linux
// opens directories, then every read fails, and waits on a FIFO for a writer).
FILE* osFopen(const char* utf8Path, const char* mode);

// ---- New files (written whole, then renamed into place) ----

// Creates a file that must not exist yet, for writing (O_CREAT | O_EXCL, mode 0666 less the
// umask; CREATE_NEW on Windows). Returns the descriptor, or -1 (errno EEXIST when the name
// is taken).
int osCreateNew(const char* utf8Path);
// Writes all count bytes (retried on EINTR and after short writes). Returns count, or -1.
long osWrite(int fd, const void* data, long count);
// Flushes the file's data to the disk (fsync, FlushFileBuffers). Returns 0, or -1.
int osSyncFile(int fd);
// Renames a file. With replace nonzero an existing target is replaced; without, a taken
// target is refused with errno EEXIST and never replaced, also by a file made meanwhile
// (renameat2 RENAME_NOREPLACE, else link and unlink; MoveFileEx without
// MOVEFILE_REPLACE_EXISTING). Returns 0, or -1.
int osRenameFile(const char* utf8From, const char* utf8To, int replace);
// Removes a file (not a folder). Returns 0, or -1.
int osRemoveFile(const char* utf8Path);
// While a path is set, a signal that ends the process (SIGINT, SIGTERM, SIGHUP, SIGQUIT;
// a console's Ctrl+C or close on Windows) first removes that file, so that no half-written
// file outlives the process. Null clears it. The text is copied (at most 4095 bytes). The
// first call also makes a file size limit (SIGXFSZ) fail writes instead of ending the process.
void osRemoveOnSignal(const char* utf8Path);

// ---- File identity ----

constexpr int OS_ENTRY_NONE = 0;    // no entry at the path
constexpr int OS_ENTRY_REGULAR = 1; // a regular file (links followed)
constexpr int OS_ENTRY_CHAR = 2;    // a character device (links followed)
constexpr int OS_ENTRY_OTHER = 3;   // a directory, FIFO, socket, block device, or a
                                    // link that leads nowhere
// The kind of entry at the path: lstat tells whether there is one, stat what it leads to.
int osFileKind(const char* utf8Path);
// 1 when both paths name the same file (stat: device and inode, links followed), 0
// otherwise, also when either is missing.
int osSameFile(const char* utf8PathA, const char* utf8PathB);

// ---- Directories ----

// 1 when the path names a directory (stat follows links), 0 otherwise.
int osIsDirectory(const char* utf8Path);
// 1 when the path names an entry of any kind (lstat: a link counts even when it leads
// nowhere), 0 otherwise.
int osEntryExists(const char* utf8Path);
// Calls visit(name, isDirectory, context) for every entry of the directory, "." and ".."
// included, in the order the system reports them. Returns 0, or -1 when the directory
// cannot be listed. visit returns 0 to go on, nonzero to stop.
int osListDirectory(const char* utf8Dir,
                    int (*visit)(const char* name, int isDirectory, void* context), void* context);
// mkdir(path, 0777), the umask applied. Returns 0 when the directory was made or a
// directory is already there (links followed), -1 otherwise.
int osMakeDirectory(const char* utf8Path);
// getcwd() into out (size bytes). Returns 0, or -1.
int osCurrentDirectory(char* out, size_t size);

// ---- Process ----

// The absolute path of the running executable (/proc/self/exe). Returns 0, or -1.
int osExecutablePath(char* out, size_t size);
// Loads the shared module at utf8Path, keeping its symbols to itself, and returns the
// address of its symbol; nullptr when either cannot be had, with the loader's reason in
// error (errorSize bytes).
void* osModuleSymbol(const char* utf8Path, const char* symbol, char* error, size_t errorSize);
void osSleepMs(int milliseconds);
// The value of an environment variable, or nullptr when it is unset or empty. The text
// stays valid until the environment changes.
const char* osGetEnv(const char* name);
// Discards typed input not yet read from standard input when it is a terminal
// (tcflush); does nothing otherwise.
void osFlushConsoleInput();

// ---- Language and code pages ----

#ifdef _WIN32
// IsDBCSLeadByte of the system's ANSI code page.
int osIsDbcsLeadByte(unsigned char b);
#else
// The emulated ANSI code page (Shift-JIS, 932): lead bytes 0x81-0x9F and 0xE0-0xFC.
inline int osIsDbcsLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
#endif
// The user's UI language as a Windows language identifier: 1041 when LC_ALL, else
// LC_MESSAGES, else LANG (the first of them that is set and not empty) begins with "ja";
// 1033 otherwise.
int osUserLanguageId();
// The console output code page: 0 when standard output is not a terminal, 65001 for a
// UTF-8 locale, 932 for a Shift-JIS locale, 0 otherwise.
unsigned osConsoleOutputCodePage();

// ---- Output ----

// Writes size bytes of UTF-8 text to standard output (1) or standard error (2) through
// its C stream. On Windows a stream that is a console gets the text as UTF-16
// (WriteConsoleW), as the console's code page may not be UTF-8; a redirected one gets the
// bytes. Returns size, or less when the write failed.
size_t osWriteText(int stream, const char* text, size_t size);

#ifdef _WIN32
// ---- Windows: the program's path forms as the system takes them ----
//
// An ANSI path goes to the C runtime and the A functions untouched, a UTF-16 path to the
// W functions untouched. Opens refuse a directory with errno EISDIR and set errno from the
// system's error otherwise, so that the reasons read as on Linux.

// fopen / _wfopen.
FILE* osFopenAnsi(const char* ansiPath, const char* mode);
FILE* osFopenWide(const char16_t* widePath, const char* mode);
// CreateFileW for reading (share mode 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL) as a
// descriptor of the functions above. Returns it, or -1.
int osOpenReadWide(const char16_t* widePath);
// As osFileKind.
int osFileKindAnsi(const char* ansiPath);
int osFileKindWide(const char16_t* widePath);
// As osSameFile (volume serial number and file index); a null form is not used.
int osSameFileForms(const char* ansiA, const char16_t* wideA, const char* ansiB,
                    const char16_t* wideB);
// FindFirstFileA/W on the path (wildcards allowed): the stored name of the first match that
// is not a directory, looking at no more than two matches. Returns 0 with the name in out
// (outSize characters), -1 when nothing or only a directory matches, -2 when the first two
// matches are directories.
int osFindNameAnsi(char* out, size_t outSize, const char* ansiPath);
int osFindNameWide(char16_t* out, size_t outUnits, const char16_t* widePath);
// The new-file calls above for a UTF-16 path.
int osCreateNewWide(const char16_t* widePath);
int osRenameFileWide(const char16_t* wideFrom, const char16_t* wideTo, int replace);
int osRemoveFileWide(const char16_t* widePath);
void osRemoveOnSignalWide(const char16_t* widePath);
// GetCurrentDirectoryA/W. Returns 0, or -1.
int osCurrentDirectoryAnsi(char* out, size_t size);
int osCurrentDirectoryWide(char16_t* out, size_t units);
// GetCommandLineA/W: the whole command line as the process was given it.
const char* osCommandLineAnsi();
const char16_t* osCommandLineWide();
// GetModuleFileNameA/W of the program. Returns 0, or -1.
int osExecutablePathAnsi(char* out, size_t size);
int osExecutablePathWide(char16_t* out, size_t units);
// A UTF-16 text in the ANSI code page (what the A functions would make of it; '?' for a
// character it cannot hold). Returns 0, or -1 when it does not fit in size bytes.
int osWideToAnsi(char* out, size_t size, const char16_t* wide);
// The ANSI text as UTF-16. Returns 0, or -1 when it does not fit in units units.
int osAnsiToWide(char16_t* out, size_t units, const char* ansi);
#endif
