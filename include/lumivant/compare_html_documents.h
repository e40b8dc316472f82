// CompareHtmlDocuments: change detection between two versions of an HTML
// page. DetectChanges writes a copy of the new page, in UTF-8, in which every
// piece of added, changed or moved text is wrapped in change markers and the
// highlight strings, and every group of neighbouring changes is preceded by a
// numbered anchor (Change1, Change2, ...). It also counts the groups, the
// words added, changed or removed, and the share of the new page's words that
// are new or changed. The old page's text never appears in the report.
//
// Pages are compared as sequences of text nodes: a run of text, or all the
// text of a link. The three ignore options act on the texts compared; the
// encoding header and the highlight strings only shape the report. A page
// that already carries change markers, such as a stored report, is compared
// with those markers read as empty inline elements: a stored report compares
// equal to the page it was made from, and a report made from a report
// carries only its own markers.
//
// Configure once, then call DetectChanges any number of times: it changes
// nothing in the comparer, so one comparer may serve several threads at once
// as long as none of them reconfigures it. Each call uses its own streams.
// Copyable: a copy has the same options and highlight strings.
#ifndef LUMIVANT_COMPARE_HTML_DOCUMENTS_H_
#define LUMIVANT_COMPARE_HTML_DOCUMENTS_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "lumivant/binary_stream_buf.h"
#include "lumivant/code_page.h"
#include "lumivant/export.h"

namespace LVTDT {

class LVT_EXPORT CompareHtmlDocuments {
 public:
  // Options off, encoding header on, the default highlight strings
  // "<font color=#800000 style=background-color:#FFFF00>" and "</font>".
  CompareHtmlDocuments();
  ~CompareHtmlDocuments();

  // Compare texts without regard to case (Latin letters only: A-Z, the
  // accented Latin-1 capitals, the fullwidth capitals and the Latin
  // Extended-A pairs), with digits read as blanks, or with every character
  // that is neither a letter nor a digit read as a blank.
  void IgnoreCase(bool ignore);
  void IgnoreDigits(bool ignore);
  void IgnoreNonAlphaNum(bool ignore);
  // Start the report with a comment and a head that declares UTF-8.
  void AddEncodingHeader(bool add);
  // Within a changed text, mark only the words that are new or changed
  // rather than the whole text (unless more of its words changed than
  // stayed); changedWords then counts the marked words plus the old words
  // removed without a replacement, and changeRatio the marked words over
  // the new page's words.
  void WordLevel(bool wordLevel);

  // What is written before and after every changed piece, inside the change
  // markers, exactly as given (converted to UTF-8; nothing checks that it is
  // HTML). Two empty strings leave only the markers.
  void HighlightString(const std::u16string& start, const std::u16string& end);

  // Compares oldPage with newPage, each read whole from offset 0 and taken
  // to be in its character set (a code page number: 65001 is UTF-8), and
  // appends the report to out at its write position. Results:
  //  - changeCount: the number of groups of changes, and of anchors written;
  //  - changedWords: words of added, changed or moved text of the new page
  //    plus words of text removed from the old page;
  //  - changeRatio: words of added, changed or moved text over all words of
  //    the new page; left as the caller set it when the new page has no
  //    words.
  // Bad pages are input, not errors: they give fewer text nodes, and the
  // comparison goes on with what there is. A failing output stream gives a
  // shorter report and the same counts. The streams must not be the same
  // object; they are the caller's and are only read (pages) or appended to
  // (out).
  void DetectChanges(LVTBase::BinaryStreamBuf& oldPage, LVTCharset::CHARSET oldCharset,
                     LVTBase::BinaryStreamBuf& newPage, LVTCharset::CHARSET newCharset,
                     LVTBase::BinaryStreamBuf& out, unsigned& changeCount, unsigned& changedWords,
                     double& changeRatio) const;

  // What a comparison changed, as plain text, for callers that tell of
  // changes in words rather than show them in a page. Offsets count bytes of
  // the new page as compared: converted to UTF-8, byte-order mark included.
  struct Details {
    struct Group {
      // The text of the group's nodes as a reader sees it, white space
      // collapsed and trimmed: the text the report marks after anchor
      // ChangeN, N being the group's place in m_Groups plus 1. With word
      // level, the stretches of words marked, joined by blanks.
      std::u16string m_Text;
      // Words of the group's nodes, as changedWords counts them.
      unsigned m_Words = 0;
      // Offset and length of every piece of the group's nodes (with word
      // level, of every range marked).
      std::vector<std::pair<uint32_t, uint32_t>> m_Pieces;
      // With word level, what each piece holds of the words marked: the
      // piece's offset, and the first and one past the last position in
      // its text. Pieces marked whole are only in m_Pieces.
      struct Stretch {
        uint32_t m_Piece;
        uint32_t m_First;
        uint32_t m_Last;
      };
      std::vector<Stretch> m_Stretches;
    };
    // Text of the old page that the new page no longer has: removed, or
    // replaced by a changed node. Neighbouring old nodes make one entry.
    struct Removal {
      std::u16string m_Text;  // white space collapsed and trimmed
      // The group it is part of (replaced) or stands before (removed); 0
      // when no group follows.
      unsigned m_Before = 0;
      // Where it stood: the first piece of the new page's next node, or
      // kAtEnd behind the last one.
      uint32_t m_Offset = kAtEnd;
    };
    static constexpr uint32_t kAtEnd = 0xFFFFFFFFu;
    std::vector<Group> m_Groups;     // in page order
    std::vector<Removal> m_Removed;  // in page order
  };
  // The same, and with details not null, fills *details (replacing what it
  // held). The report and the counts are those of the call without it.
  void DetectChanges(LVTBase::BinaryStreamBuf& oldPage, LVTCharset::CHARSET oldCharset,
                     LVTBase::BinaryStreamBuf& newPage, LVTCharset::CHARSET newCharset,
                     LVTBase::BinaryStreamBuf& out, unsigned& changeCount, unsigned& changedWords,
                     double& changeRatio, Details* details) const;
  // The same, without the results.
  void DetectChanges(LVTBase::BinaryStreamBuf& oldPage, LVTCharset::CHARSET oldCharset,
                     LVTBase::BinaryStreamBuf& newPage, LVTCharset::CHARSET newCharset,
                     LVTBase::BinaryStreamBuf& out) const;

 private:
  // Overwrites every occurrence of marker in page with an empty inline
  // element of the same length, so that no offset moves.
  void RemoveSpecialString(LVTBase::BinaryStreamBuf& page, const std::string& marker) const;

  bool m_bIgnoreCase = false;
  bool m_bIgnoreDigits = false;
  bool m_bIgnoreNonAlphaNum = false;
  bool m_bAddEncodingHeader = true;
  bool m_bWordLevel = false;
  std::string m_sHighlightStart;
  std::string m_sHighlightEnd;
};

}  // namespace LVTDT

#endif  // LUMIVANT_COMPARE_HTML_DOCUMENTS_H_
