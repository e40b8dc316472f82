#include "highlight/highlight_format.h"

namespace LVTDT {
namespace highlight_format {

std::string AnchorText(uint32_t number) {
  std::string text = "<a name=\"Query";
  text += std::to_string(number);
  text += "\"></a>";
  return text;
}

const ColourPair kDefaultColours[kDefaultColourCount] = {
    {"<B style=\"color:black;background-color:#FFFF66\">", "</B>"},
    {"<B style=\"color:black;background-color:#A0FFFF\">", "</B>"},
    {"<B style=\"color:black;background-color:#99FF99\">", "</B>"},
    {"<B style=\"color:black;background-color:#FF9999\">", "</B>"},
    {"<B style=\"color:black;background-color:#FF66FF\">", "</B>"},
    {"<B style=\"color:white;background-color:#880000\">", "</B>"},
    {"<B style=\"color:white;background-color:#00AA00\">", "</B>"},
    {"<B style=\"color:white;background-color:#886800\">", "</B>"},
    {"<B style=\"color:white;background-color:#004699\">", "</B>"},
    {"<B style=\"color:white;background-color:#990099\">", "</B>"},
};

}  // namespace highlight_format
}  // namespace LVTDT
