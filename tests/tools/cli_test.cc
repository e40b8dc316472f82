// The tool as a user runs it, command by command: arguments and standard
// input, exit status, standard output and error. A failure is one line on
// standard error that names its cause, with exit status 2.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "testing/test_util.h"

namespace {

using lvt_testing::DataPath;

struct Run {
  std::vector<std::string> args;  // "<FILE" last: standard input from FILE
  int status;
  std::string out;  // "..." stands for any text
  std::string err = "";
};

// Whether text is pattern, each "..." in it standing for any text.
bool Matches(const std::string& pattern, const std::string& text) {
  std::size_t from = 0, at = 0;
  for (std::size_t dots; (dots = pattern.find("...", from)) != std::string::npos; from = dots + 3) {
    const std::string part = pattern.substr(from, dots - from);
    at = from == 0 ? (text.compare(0, part.size(), part) == 0 ? 0 : std::string::npos)
                   : text.find(part, at);
    if (at == std::string::npos) return false;
    at += part.size();
  }
  const std::string last = pattern.substr(from);
  return from == 0 ? text == pattern
                   : text.size() >= at + last.size() &&
                         text.compare(text.size() - last.size(), last.size(), last) == 0;
}

void ExpectRuns(const std::vector<Run>& runs) {
  for (const Run& run : runs) {
    std::vector<std::string> args = run.args;
    std::string what = "lumivant", in;
    if (args.back()[0] == '<') {
      in = args.back().substr(1);
      args.pop_back();
    }
    for (const std::string& arg : run.args) what += " " + arg.substr(0, 40);
    const lvt_testing::RunResult result = lvt_testing::RunCli(args, in);
    EXPECT_EQ(run.status, result.status) << what << ": " << result.err;
    EXPECT_TRUE(Matches(run.out, result.out)) << what << ": " << result.out;
    EXPECT_TRUE(Matches(run.err, result.err)) << what << ": " << result.err;
    EXPECT_EQ(run.status == 2 ? 1 : 0, std::count(result.err.begin(), result.err.end(), '\n'))
        << what;
  }
}

TEST(CliTest, FailuresSayWhatAndExitTwo) {
  const std::string page = DataPath("words/simple.html");
  ExpectRuns({
      {{"text"}, 2, "", "lumivant: text: ..."},
      {{"words", "a.html", "b.html"}, 2, "", "lumivant: words: ..."},
      {{"diff", page}, 2, "", "lumivant: diff: ..."},
      {{"diff", "-", "-"}, 2, "", "lumivant: diff: ..."},
      {{"diff", "--frobnicate", page, page}, 2, "", "lumivant: diff: ..."},
      {{"match", "bridge"}, 2, "", "lumivant: match: ..."},
      {{"match", "bridge", "-", "-"}, 2, "", "lumivant: match: ..."},
      {{"highlight", "--bogus", "price", page}, 2, "", "lumivant: highlight: ..."},
      {{"parse", "a", "b"}, 2, "", "...expected one QUERY..."},
      {{"frobnicate"}, 2, "", "...unknown command 'frobnicate'..."},
      {{"text", "/nonexistent/page.html"},
       2,
       "",
       "lumivant: /nonexistent/page.html: No such file..."},
      {{"words", "--charset", "no-such-set", page}, 2, "", "...no-such-set..."},
      {{"diff", "--charset", "klingon-8", page, page}, 2, "", "...klingon-8..."},
      {{"match", "--charset", "no-such-set", "bridge", page, page}, 2, "", "...no-such-set..."},
      {{"words", "--language", "klingon", page}, 2, "", "...'klingon' (one of: english, none..."},
      {{"match", "--language", "klingon", "bridge", page}, 2, "", "...'klingon'..."},
      {{"highlight", "--language", "elvish", "price", page}, 2, "", "...'elvish'..."},
      {{"parse", "--language", "klingon", "a"}, 2, "", "...'klingon'..."},
      {{"batch"}, 2, "", "lumivant: batch: ..."},
      {{"batch", "-j", "0", page}, 2, "", "lumivant: batch: -j ..."},
      {{"batch", "--query", "a and ", page}, 2, "", "lumivant: bad query: ..."},
      {{"batch", "/nonexistent/pairs.tsv"}, 2, "", "...pairs.tsv: cannot open the manifest\n"},
      {{"diff", "--max-size", "1K", page, "/dev/zero"},
       2,
       "",
       "lumivant: /dev/zero: page larger than 1 KB (use --max-size)\n"},
      {{"words", "--max-size", "lots", page}, 2, "", "lumivant: words: bad size for --max-size..."},
      {{"highlight", "--text", "--color", "pink", "a", page},
       2,
       "",
       "lumivant: highlight: --color..."},
      {{"--version"}, 0, "lumivant ...(ICU ...", ""},
  });
  for (const char* command : {"text", "words", "parse", "match", "highlight", "diff", "batch"})
    ExpectRuns({{{command, "--help"}, 0, std::string("usage: lumivant ") + command + "..."}});
}

// The prepared query and its tree, or why it is rejected, after the query
// as prepared (for the column to refer to).
TEST(CliTest, Parse) {
  const std::string bad = "lumivant: bad query: line 1:";
  auto times = [](int n, const std::string& term) {
    std::string query = term;
    for (int i = 1; i < n; ++i) query += " " + term;
    return query;
  };
  ExpectRuns({
      // As the README's query language section says.
      {{"parse", "x-1"}, 0, "\"x 1\"\nDQUOTE_(x, 1, DQUOTE_)\n"},
      {{"parse", "c++"}, 0, "c++\nc++\n"},
      {{"parse", "a,b"}, 0, "\"a b\"\nDQUOTE_(a, b, DQUOTE_)\n"},
      {{"parse", "--raw", "a,b"}, 2, "a,b\n", bad + "2: unexpected char: ','\n"},
      {{"parse", "a|b"}, 2, "a|b\n", bad + "2: unexpected char: '|'\n"},
      {{"parse", "a , b"}, 2, "a \" \" b\n", bad + "5: unexpected token: \"\n"},
      {{"parse", "a + b"}, 2, "a + b\n", bad + "3: unexpected token: +\n"},
      {{"parse", "nears b"}, 2, "near b\n", bad + "1: unexpected token: near \n"},
      {{"parse", "\"nears\" b"}, 0, "\"near\" b\nAnd(DQUOTE_(near, DQUOTE_), b)\n"},
      {{"parse", times(1000, "w")}, 0, "..."},  // 1,000 words and 999 Ands
      {{"parse", times(1001, "w")}, 2, "...", bad + "2002: query too long: more than 2000..."},
      {{"parse", times(400, "\"w w\"")}, 0, "..."},
      {{"parse", times(401, "\"w w\"")}, 2, "...", bad + "2402: query too long: more than 2000..."},
      {{"parse", "a\\b"}, 2, "a\\b\n", bad + "2: unexpected char: '\\'\n"},
      {{"parse", "a`b"}, 2, "a`b\n", bad + "2: unexpected char: '`'\n"},
      {{"parse", "a\1b"}, 2, "a\1b\n", bad + "2: unexpected char: 0x01\n"},
      {{"parse", "a\tb"}, 0, "a\tb\nAnd(a, b)\n"},
      {{"parse", "a#b$c%d&e'f*g;h<i=j>k?l@m[n]o^p{q}r~s"},
       0,
       "...\nAnd(And(...(a, b), c)...r), s)\n"},
      {{"parse", "--unicode-words", "ΚΑΦΕ ภาษาไทย"}, 0, "καφε \"ภาษา ไทย\"\n..."},
      {{"parse", "--language", "russian", "Марии"}, 0, "мар\nмар\n"},
      {{"parse", "a near:5 b"}, 0, "a near:5 b\nWEIGHTEDNEAR_[near:5](a, b)\n"},
      {{"parse", "--raw", "a b ) +"}, 0, "a b ) +\na b\n"},
      {{"parse", "Cats AND Dogs"}, 0, "cat and dog\nAND_(cat, dog)\n"},
      {{"parse", "--language", "none", "Cats AND"}, 0, "cats and\nAnd(cats, and)\n"},
      {{"parse", "--raw", "Cats AND Dogs"}, 0, "Cats AND Dogs\nAND_(Cats, Dogs)\n"},
      {{"parse", "e-mail OR fax"}, 0, "\"e mail\" or fax\nOR_(DQUOTE_(e, mail, DQUOTE_), fax)\n"},
      {{"parse", "(Caf\u00e9 or cr\u00e8me"}, 0, "(cafe or creme)\nOR_(cafe, creme)\n"},
      {{"parse", "--", "-x"}, 0, "\" x\"\nDQUOTE_(x, DQUOTE_)\n"},
      {{"parse", "a and "}, 2, "a and \n", bad + "7: unexpected end of file\n"},
      {{"parse", "a b ) +"}, 2, "...\n", bad + "6: unexpected token: +\n"},
      {{"parse", "--raw", "(a b"}, 2, "(a b\n", bad + "5: expecting RPAREN_, found ''\n"},
      {{"parse", "Hello, world!"}, 2, "...\n", bad + "15: unexpected char: '!'\n"},
      {{"parse", "meeting at 10:30"}, 2, "...\n", bad + "11: unexpected token: :\n"},
      {{"parse", std::string(5000, '(') + "a"}, 2, "...\n", bad + "201: query too deep: more..."},
  });
}

// A line per run of the page's text: its start, length and anchor in the
// page's bytes, whether it lies outside the changed regions, the text
// escaped.
TEST(CliTest, Text) {
  const std::string page = DataPath("html/cli-latin1.html");  // a latin-1 page
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
  const std::string cafe = lvt_testing::ExamplePath("cafe-1252.html");  // declares its charset
  ExpectRuns({
      {{"text", page}, 0, all},
      {{"text", "--charset", "windows-1252", "-", "<" + page}, 0, all},
      {{"text", "--changes-only", page}, 0, changesOnly},
      {{"text", "--charset=65001", page}, 0, "...\tStra\ufffde..."},  // 0xDF is no UTF-8
      {{"text", cafe}, 0, "...Cr\u00e8me br\u00fbl\u00e9e \u20ac..."},
  });
}

// A line per word: its number, its key, its pieces as RUN:OFFSET:LENGTH.
TEST(CliTest, Words) {
  const std::string simple = DataPath("words/simple.html");  // "wor<b>ld</b>": two pieces
  const std::string report = DataPath("words/report.html");
  const std::string latin1 = DataPath("words/latin1.html");
  const std::string koi8 = DataPath("scripts/russian-koi8r.html");
  const std::string cp1251 = DataPath("scripts/russian-1251.html");
  const std::string arabic = DataPath("scripts/arabic-1256.html");
  ExpectRuns({
      // Cyrillic makes no words by default; Russian has words of every
      // script of itself, any language with --unicode-words, where
      // diacritics fold (harakat, ё) after stemming.
      {{"words", koi8}, 0, ""},
      {{"words", "--language", "russian", koi8},
       0,
       "0\tджон\t2:0:4\n1\tи\t2:5:1\n2\tмар\t2:7:5\n...\n"
       "8\tмар\t4:10:5\n..."},
      {{"words", "--language", "russian", cp1251},
       0,
       "0\tнов\t2:0:5\n...6\tнов\t2:26:5\n...11\tелк\t4:10:4\n...14\tелк\t4:23:4\n"},
      {{"words", "--unicode-words", "--language", "none", arabic},
       0,
       "0\tقرأت\t2:0:4\n1\tالكتاب\t2:5:9\n..."},
      {{"words", simple}, 0, "0\thello\t0:0:5\n1\tworld\t1:0:3 2:0:2\n2\tconnect\t4:0:9\n..."},
      {{"words", "--language", "none", simple}, 0, "...\n2\tconnected\t4:0:9\n..."},
      {{"words", "--language=french", "-", "<" + simple}, 0, "...\n3\trunning\t4:10:7\n..."},
      // The multiplication sign is not a word; sharp s folds to ss.
      {{"words", "--charset", "windows-1252", latin1}, 0, "...1\tnaiv\t0:5:5\n2\tstrass\t0:13:6\n"},
      {{"words", "--language", "none", report}, 0, "...\n7\tagain\t2:8:5\n"},
      // Words outside the changed regions keep their number but have no key.
      {{"words", "--changes-only", "--language", "none", report},
       0,
       "0\t\t0:0:3\n1\t\t0:4:4\n2\t\t0:9:5\n3\tnew\t1:0:3\n4\twords\t1:4:5\n5\t\t2:0:3\n"
       "6\t\t2:4:3\n7\t\t2:8:5\n"},
  });
}

// The pages that match, in the order given, or the hits of every page;
// unreadable pages are reported and the others still searched.
TEST(CliTest, Match) {
  const std::string news = DataPath("eval/harbour_bridge_news.html");
  const std::string recipe = DataPath("eval/tomato_soup_recipe.html");
  const std::string menu = DataPath("eval/cafe_menu_cp1252.html");
  const std::string report = DataPath("eval/price_watch_report.html");
  const std::string missing = DataPath("eval/no_such_page.html");
  const std::string thai = DataPath("scripts/thai-tis620.html");
  const std::string greek = DataPath("scripts/greek-8859-7.html");
  ExpectRuns({
      {{"match", "roast or caf\u00e9", news, recipe, menu}, 0, recipe + "\n" + menu + "\n"},
      {{"match", "zebra crossing", news, recipe}, 1, ""},
      {{"match", "--count", "salt or steel", news, recipe}, 0, news + ":2\n" + recipe + ":3\n"},
      {{"match", "-j", "2", "--count", "salt or steel", news, recipe, news},
       0,
       news + ":2\n" + recipe + ":3\n" + news + ":2\n"},
      {{"match", "--count", "not zebra", menu}, 0, menu + ":0\n"},  // matches with no hits
      {{"match", "--changes-only", "price near:3 drop", "-", "<" + report},
       0,
       "(standard input)\n"},
      {{"match", "--changes-only", "compost", report}, 1, ""},
      {{"match", "compost", report}, 0, report + "\n"},
      {{"match", "--charset", "windows-1252", "creme near brulee", menu}, 0, menu + "\n"},
      {{"match", "--charset", "utf-8", "\"creme brulee\"", menu}, 1, ""},
      {{"match", "reopen", news}, 0, news + "\n"},
      {{"match", "--language", "none", "reopen", news}, 1, ""},
      {{"match", "\u0e20\u0e32\u0e29\u0e32", thai}, 1, ""},
      {{"match", "--unicode-words", "\u0e20\u0e32\u0e29\u0e32", thai}, 0, thai + "\n"},
      {{"match", "--count", "--unicode-words", "\u039a\u0391\u03a6\u0395\u03a3", greek},
       0,
       greek + ":1\n"},  // no stemming: only the word itself
      {{"match", "--count", "--language", "greek", "\u03ba\u03b1\u03c6\u03ad\u03c2", greek},
       0,
       greek + ":2\n"},
      {{"match", "Hello, world!", news}, 2, "", "lumivant: bad query: line 1:15: unexpected..."},
  });
  const lvt_testing::RunResult run =
      lvt_testing::RunCli({"match", "bridge", missing, news, DataPath("eval")});
  EXPECT_EQ(2, run.status);
  EXPECT_EQ(news + "\n", run.out);
  EXPECT_EQ("lumivant: " + missing + ": No such file or directory\nlumivant: " + DataPath("eval") +
                ": Is a directory\n",
            run.err);
}

}  // namespace
