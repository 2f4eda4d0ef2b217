// What only the Win32 OS layer decides (under Wine in CI): a file's identity whatever
// the case and form of its path, and the arguments the program takes from the command line
// Windows gives it. The rest of the layer is exercised by the whole suite, which runs on
// Windows too.
#include <gtest/gtest.h>
#include <string>

#include "common/program_run.h"
#include "common/tempdir.h"
#include "os/os.h"

namespace {

using test_files::TempDir;

TEST(Win32Platform, KindsAndIdentityFollowTheFileNotThePathForm) {
  TempDir d;
  ASSERT_TRUE(d.ok());
  d.write("a.vmd", "a");
  d.write("b.vmd", "b");
  d.folder("f");
  EXPECT_EQ(osFileKindAnsi(d.ansi("a.vmd").c_str()), OS_ENTRY_REGULAR);
  EXPECT_EQ(osFileKindAnsi(d.ansi("f").c_str()), OS_ENTRY_OTHER);
  EXPECT_EQ(osFileKindAnsi(d.ansi("none").c_str()), OS_ENTRY_NONE);
  const std::string a = d.ansi("a.vmd");
  const std::u16string sameInCapitals = d.wide(u"A.VMD");
  const std::u16string other = d.wide(u"b.vmd");
  const std::u16string none = d.wide(u"none");
  EXPECT_EQ(osSameFileForms(a.c_str(), nullptr, nullptr, sameInCapitals.c_str()), 1);
  EXPECT_EQ(osSameFileForms(a.c_str(), nullptr, nullptr, other.c_str()), 0);
  EXPECT_EQ(osSameFileForms(a.c_str(), nullptr, nullptr, none.c_str()), 0);
}

// Names with a space and with characters of no Western code page reach the program whole
// through GetCommandLineW; standard output is binary (no CR before LF).
TEST(Win32Platform, TheProgramTakesSpacedAndUnicodeNamesFromTheCommandLine) {
  TempDir d;
  ASSERT_TRUE(d.ok());
  std::string motion = std::string("Vocaloid Motion Data 0002") + std::string(5, '\0');
  motion += std::string(20 + 6 * 4, '\0'); // model name, then six empty blocks
  const std::string japanese = "\xe3\x83\xa2\xe3\x83\xbc\xe3\x82\xb7\xe3\x83\xa7\xe3\x83\xb3.vmd";
  d.write("two words.vmd", motion);
  d.write(japanese, motion);
  test_program::RunOptions options;
  options.directory = d.dir();
  const test_program::Outcome o =
      test_program::runProgram({"--summary", "two words.vmd", japanese, "missing.vmd"}, options);
  EXPECT_EQ(o.status, 2);
  std::string fields; // path and verdict of each line
  for (const std::string& line : test_program::lines(o.out)) {
    const size_t tab = line.find('\t');
    fields += line.substr(0, line.find('\t', tab + 1)) + "\n";
  }
  EXPECT_EQ(fields, "two words.vmd\tok\n" + japanese +
                        "\tok\nmissing.vmd\terror: cannot open: No such file or directory\n");
  EXPECT_EQ(o.out.find('\r'), std::string::npos);
}

} // namespace
