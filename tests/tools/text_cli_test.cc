// lumivant text as a user runs it: a line per run of the page's text with
// its start, length and anchor in the page's bytes, whether it lies outside
// the changed regions, and the text escaped.
#include <gtest/gtest.h>

#include <string>

#include "testing/test_util.h"

namespace {

using lvt_testing::RunCli;

TEST(TextCliTest, PrintsFiveFieldsPerRunWithEscapes) {
  // A latin-1 page: a backslash, a control character in a pre, a link.
  const std::string page = lvt_testing::DataPath("html/cli-latin1.html");
  const std::string all =
      "55\t13\t55\t0\tStra\u00dfe \\\\ back  \n"
      "73\t12\t73\t0\tone\\ntwo\\x1B \n"
      "108\t4\t108\t0\tnew \n"
      "125\t5\t112\t0\twords\n"
      "152\t4\t152\t0\t old     \n";
  const std::string changesOnly =
      "55\t13\t55\t1\tStra\u00dfe \\\\ back  \n"
      "73\t12\t73\t1\tone\\ntwo\\x1B \n"
      "108\t4\t108\t0\tnew \n"
      "125\t5\t112\t0\twords\n"
      "152\t4\t152\t1\t old     \n";
  const lvt_testing::RunResult run = RunCli({"text", page});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ(all, run.out);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(all, RunCli({"text", "--charset", "windows-1252", "-"}, page).out);
  EXPECT_EQ(changesOnly, RunCli({"text", "--changes-only", page}).out);
  EXPECT_NE(all, RunCli({"text", "--charset=65001", page}).out);  // 0xDF is no UTF-8
  // A page that declares its charset is read in it.
  EXPECT_NE(std::string::npos, RunCli({"text", lvt_testing::ExamplePath("cafe-1252.html")})
                                   .out.find("Cr\u00e8me br\u00fbl\u00e9e \u20ac"));
}

}  // namespace
