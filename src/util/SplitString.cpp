#include "util/SplitString.h"

namespace UUtils {

void SplitString(char separator, const std::string& text, StringList& list) {
  list.clear();
  std::string piece;
  for (char c : text) {
    if (c == separator) {
      list.push_back(piece);
      piece.clear();
    } else {
      piece += c;
    }
  }
  if (!piece.empty()) list.push_back(piece);
}

}  // namespace UUtils
