// RawText: one run of visible text of a page, with where it came from in the
// page's bytes. Runs are shared records, held through LVT::SmartPtr<RawText>
// and listed in a RawTextList in document order; a run lives as long as any
// list or word occurrence holds it. Counting is not atomic: a run and the
// lists holding it belong to one thread at a time.
#ifndef LUMIVANT_RAW_TEXT_H_
#define LUMIVANT_RAW_TEXT_H_

#include <cstdint>
#include <string>

#include "lumivant/export.h"
#include "lumivant/ref_count_vector.h"
#include "lumivant/smart_ptr.h"
#include "lumivant/sp_ref_counter.h"

namespace LVTDT {

class LVT_EXPORT RawText : public LVT::SPRefCounterST {
 public:
  RawText();
  ~RawText();

  // The record's count, as a handle would change it. Release() destroys the
  // record when the count reaches 0 and then returns 0.
  long NbRef() const;
  long AddRef() const;
  long Release() const;

  // The text node's text, white space normalised; a blank is appended for
  // each element around it that separates words.
  std::u16string m_Text;
  // Byte offset and length of the text node in the parsed stream (for plain
  // text: 0 and the length in 16-bit characters). Separator blanks never
  // change them.
  uint32_t m_Start = 0;
  uint32_t m_Length = 0;
  // Where an anchor for a hit in this run goes: the start of the enclosing
  // link when the run lies in a link with "href" or "class", else m_Start;
  // before the start tag of the outermost "a" element around the run, or
  // open while the page was read, if any.
  uint32_t m_AnchorPos = 0;
  // Words that begin in this run are numbered but not indexed.
  bool m_Excluded = false;
  // The parser moved the text out of a table (HtmlTreeNode::Fostered).
  bool m_Fostered = false;
  // How many separator blanks at the end of m_Text a writer leaves out: the
  // next text is moved out of a table, where a browser may join it to this
  // one, and a blank the page does not have would split a word.
  uint32_t m_UnwrittenBlanks = 0;
};

using RawTextHandle = LVT::SmartPtr<RawText>;
using RawTextList = LVT::RefCountVector<RawText, LVT::SmartPtr<RawText>>;

}  // namespace LVTDT

#endif  // LUMIVANT_RAW_TEXT_H_
