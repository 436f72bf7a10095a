#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

class Declaration;
struct DeclarationLimits;

// Makes a declaration what a recorder that keeps plain-ASCII texts and its task in a byte
// budget will hold, so that the pilot sees the names before they are written and the
// read-back is compared with what was sent.
class DeclarationFit {
  public:
    // Cleans the texts (asciiTexts) and shortens the task points' names as far as the budget
    // needs; one line for each name written otherwise than it stands ("task point 2
    // \"Hohenzollern\" is written as \"Hohenz\""), empty when nothing changes.
    static std::vector<std::string> apply(Declaration& declaration,
                                          const DeclarationLimits& limits);
    // The same lines, the declaration left as it is.
    static std::vector<std::string> changes(const Declaration& declaration,
                                            const DeclarationLimits& limits);

    // The text in ASCII (letters with diacritics become their base letter) without control
    // characters and without "$", "*", "!", "\", "^" and "~".
    static std::string cleaned(std::string_view utf8);
    // The names with their lengths together at most budget bytes: every name longer than a
    // common length is cut to it, the longest length that fits; different names that the
    // cut makes equal end in a digit instead of their last character. Names of one byte
    // are not cut further, so an impossible budget leaves them longer than it.
    static std::vector<std::string> shortened(const std::vector<std::string>& names,
                                              std::size_t budget);
};

}  // namespace kelvo
