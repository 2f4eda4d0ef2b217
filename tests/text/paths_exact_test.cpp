// findname on a name without wildcards looks at that one entry instead of listing the
// directory; its answers must stay those of the listing, also for the entry kinds that the
// listing treats specially (links, directories, names no directory can hold).
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "common/tempdir.h"
#include "common/text_convert.h"
#include "text/paths.h"

using test_files::TempDir;
using test_text::u16;

TEST(Paths, FindnameOfAnExactNameAnswersAsTheListingWould) {
  TempDir d;
  ASSERT_TRUE(d.ok());
  d.write("walk.vmd", "x");
  ASSERT_EQ(mkdir(d.path("sub").c_str(), 0700), 0);
  ASSERT_EQ(symlink("nowhere.vmd", d.path("dangling.vmd").c_str()), 0);
  ASSERT_EQ(symlink("sub", d.path("tosub").c_str()), 0);
  ASSERT_EQ(symlink("walk.vmd", d.path("tofile.vmd").c_str()), 0);
  struct Case {
    std::string name;
    int result;
    const char* found;
  } cases[] = {
      {"walk.vmd", 0, "walk.vmd"},
      {"dangling.vmd", 0, "dangling.vmd"}, // listed, though it leads nowhere
      {"tofile.vmd", 0, "tofile.vmd"},     // the link's own name, as listed
      {"tosub", -1, ""},                   // a directory through the link
      {"sub", -1, ""},
      {".", -1, ""},
      {"..", -1, ""},
      {"walk.vmd\\x", -1, ""},         // below a file
      {std::string(300, 'n'), -1, ""}, // longer than any name a directory holds
      {"walk.vm", -1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.substr(0, 20));
    char out[260] = "junk";
    char16_t outW[260] = u"junk";
    EXPECT_EQ(findname(out, d.ansi(c.name).c_str()), c.result);
    EXPECT_STREQ(out, c.found);
    EXPECT_EQ(findnameW(outW, d.wide(u16(c.name)).c_str()), c.result);
    EXPECT_EQ(std::u16string(outW), u16(c.found));
  }
}
