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
      {{"parse", "a near:5 b"}, "a near:5 b\nWEIGHTEDNEAR_[near:5](a, b)\n"},
      {{"parse", "--raw", "a b ) +"}, "a b ) +\na b\n"},
      {{"parse", "Cats AND Dogs"}, "cat and dog\nAND_(cat, dog)\n"},
      {{"parse", "--language", "none", "Cats AND Dogs"}, "cats and dogs\nAND_(cats, dogs)\n"},
      {{"parse", "--raw", "Cats AND Dogs"}, "Cats AND Dogs\nAND_(Cats, Dogs)\n"},
      {{"parse", "e-mail OR fax"}, "\"e mail\" or fax\nOR_(DQUOTE_(e, mail, DQUOTE_), fax)\n"},
      {{"parse", "(Caf\xC3\xA9 or cr\xC3\xA8me"}, "(cafe or creme)\nOR_(cafe, creme)\n"},
      {{"parse", "--", "-x"}, "\" x\"\nDQUOTE_(x, DQUOTE_)\n"},
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
      {{"parse", std::string(5000, '(') + "a"},
       "lumivant: bad query: line 1:201: query too deep: more than 200 nested parentheses\n"},
  };
  for (const Case& c : cases) {
    const RunResult run = RunCli(c.args);
    EXPECT_EQ(c.out, run.err) << c.args.back();
    EXPECT_EQ(2, run.status) << c.args.back();
    // The query as parsed still comes first, for the column to refer to.
    EXPECT_EQ(run.out.size() - 1, run.out.find('\n')) << c.args.back();
  }
}

}  // namespace
