// Shared by the query tests: runs a step of the query pipeline and says
// what came out, the result or the exception with its class and toString().
#ifndef LUMIVANT_TESTS_QUERY_QUERY_TEST_SUPPORT_H_
#define LUMIVANT_TESTS_QUERY_QUERY_TEST_SUPPORT_H_

#include <antlr/ANTLRException.hpp>
#include <antlr/MismatchedTokenException.hpp>
#include <antlr/NoViableAltException.hpp>
#include <antlr/RecognitionException.hpp>
#include <antlr/TokenStreamRecognitionException.hpp>
#include <string>

namespace lvt_query_test {

// One row of a table test: an input and what it should give.
struct Row {
  const char* input;
  const char* expected;
};

// step() returns a string; an exception becomes "Class line L:C: message".
template <class Step>
std::string Outcome(Step step) {
  try {
    return step();
  } catch (const antlr::MismatchedTokenException& e) {
    return "MismatchedTokenException " + e.toString();
  } catch (const antlr::NoViableAltException& e) {
    return "NoViableAltException " + e.toString();
  } catch (const antlr::TokenStreamRecognitionException& e) {
    return "TokenStreamRecognitionException " + e.toString();
  } catch (const antlr::RecognitionException& e) {
    return "RecognitionException " + e.toString();
  } catch (const antlr::ANTLRException& e) {
    return "ANTLRException " + e.toString();
  }
}

}  // namespace lvt_query_test

#endif  // LUMIVANT_TESTS_QUERY_QUERY_TEST_SUPPORT_H_
