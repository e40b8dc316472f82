// lumivant parse as a user runs it: the prepared query, its tree, and why a
// query is rejected.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/test_util.h"

namespace {

using lvt_testing::RunCli;
using lvt_testing::RunResult;

struct Case {
  std::vector<std::string> args;
  const char* out;  // both lines
};

TEST(ParseCliTest, PrintsThePreparedQueryAndItsTree) {
  const Case cases[] = {
      {{"parse", "a b c"}, "a b c\nAnd(And(a, b), c)\n"},
      {{"parse", "a near:5 b"}, "a near:5 b\nWEIGHTEDNEAR_[near:5](a, b)\n"},
      {{"parse", "--raw", "a b ) +"}, "a b ) +\na b\n"},
      {{"parse", "Cats AND Dogs"}, "cat and dog\nAND_(cat, dog)\n"},
      {{"parse", "--language", "none", "Cats AND Dogs"}, "cats and dogs\nAND_(cats, dogs)\n"},
      {{"parse", "--raw", "Cats AND Dogs"}, "Cats AND Dogs\nAND_(Cats, Dogs)\n"},
      {{"parse", "e-mail OR fax"}, "\"e mail\" or fax\nOR_(DQUOTE_(e, mail, DQUOTE_), fax)\n"},
      {{"parse", "\"to be or not to be\""},
       "\"to be or not to be\"\nDQUOTE_(to, be, OR_, NOT_, to, be, DQUOTE_)\n"},
      {{"parse", "(Caf\xC3\xA9 or cr\xC3\xA8me"}, "(cafe or creme)\nOR_(cafe, creme)\n"},
      {{"parse", "--", "-x"}, "\" x\"\nDQUOTE_(x, DQUOTE_)\n"},
      {{"parse", "(a b"}, "(a b)\nAnd(a, b)\n"},
  };
  for (const Case& c : cases) {
    const RunResult run = RunCli(c.args);
    EXPECT_EQ(0, run.status) << c.args.back() << ": " << run.err;
    EXPECT_EQ(c.out, run.out) << c.args.back();
    EXPECT_EQ("", run.err) << c.args.back();
  }
}

TEST(ParseCliTest, RejectedQueriesExitTwoWithTheReason) {
  const Case cases[] = {
      {{"parse", "a and "}, "lumivant: bad query: line 1:7: unexpected end of file\n"},
      {{"parse", "a b ) +"}, "lumivant: bad query: line 1:6: unexpected token: +\n"},
      {{"parse", "--raw", "(a b"}, "lumivant: bad query: line 1:5: expecting RPAREN_, found ''\n"},
      {{"parse", "Hello, world!"}, "lumivant: bad query: line 1:15: unexpected char: '!'\n"},
      {{"parse", "meeting at 10:30"}, "lumivant: bad query: line 1:11: unexpected token: :\n"},
      {{"parse", ""}, "lumivant: bad query: line 1:1: unexpected end of file\n"},
  };
  for (const Case& c : cases) {
    const RunResult run = RunCli(c.args);
    EXPECT_EQ(c.out, run.err) << c.args.back();
    EXPECT_EQ(2, run.status) << c.args.back();
    // The query as parsed still comes first, for the column to refer to.
    EXPECT_EQ(run.out.size() - 1, run.out.find('\n')) << c.args.back();
  }
}

TEST(ParseCliTest, UsageErrors) {
  const RunResult none = RunCli({"parse"});
  EXPECT_EQ(2, none.status);
  EXPECT_NE(std::string::npos, none.err.find("expected one QUERY"));

  const RunResult two = RunCli({"parse", "a", "b"});
  EXPECT_EQ(2, two.status);

  const RunResult language = RunCli({"parse", "--language", "klingon", "a"});
  EXPECT_EQ(2, language.status);
  EXPECT_NE(std::string::npos, language.err.find("unknown language 'klingon'"));
  EXPECT_NE(std::string::npos, language.err.find("english"));
  EXPECT_EQ("", language.out);

  const RunResult help = RunCli({"parse", "--help"});
  EXPECT_EQ(0, help.status);
  EXPECT_EQ(0u, help.out.find("usage: lumivant parse"));
}

TEST(ParseCliTest, OversizedQueriesAreRejectedWithTheReason) {
  // (A command line cannot carry the 100,000-term queries of the parser's
  // own tests; these are past the bounds all the same.)
  std::string terms;
  for (int i = 0; i < 5000; ++i) terms += "a ";
  const RunResult run = RunCli({"parse", terms});
  EXPECT_EQ(2, run.status);
  EXPECT_NE(std::string::npos, run.err.find("query too long")) << run.err.substr(0, 200);

  const RunResult deep = RunCli({"parse", std::string(5000, '(') + "a"});
  EXPECT_EQ(2, deep.status);
  EXPECT_NE(std::string::npos, deep.err.find("query too deep")) << deep.err.substr(0, 200);
}

}  // namespace
