// Line rewriters for the NC outputs of the main window: subprogram expansion, per-tool
// output with new D and H numbers, dropping words by letter, and the split of a line around
// its coordinates for the absolute/incremental, moved, rotated and mirrored copies.
//
// Each takes one stored line (CP932 bytes, upper case as the store keeps it) and writes a
// new text; none of them touches the store. They read the line word by word:
//   - a comment "(" ... ")" is copied whole (an unclosed one up to the end of the line);
//   - the number characters "+", "-", "." and "0"-"9" are copied as they come;
//   - "%" and NUL bytes are dropped;
//   - a Shift-JIS pair is copied as one unit (its trail byte may look like a letter);
//   - an address letter decides what happens to its word. O, T, D, H and the coordinate
//     letters take all the number characters that follow; G and M take their number as the
//     tokenizer reads it (a sign, digits, a point and digits) and are matched by the value
//     of its integer part (G2, G02 and G2.5 are the same code), so a code is always kept or
//     dropped whole. A letter without a number (without a digit for G and M) is copied as a
//     plain character.
// Every output string is cleared first.
#pragma once
#include <string>
#include <string_view>

// Subprogram expansion. The rewriter keeps the first program number of one copy-out run
// and turns every later O word into a comment; one object serves one run.
class TNC_subprogram_rewriter {
 public:
  // With `reset`: forgets the first O and leaves `out` empty. Otherwise the first O word
  // since the reset is kept, every later one becomes "(O..)", M98 and M99 become "(M98)"
  // and "(M99)"; the P and L words of a call stay. With `keep_percent` a "%" stays where it
  // is: the line of a block the interpreter passes over is copied byte for byte, and a
  // dropped "%" would join the characters around it into a word.
  void Convert_O_M98_to_comment(std::string_view line, bool reset, std::string& out,
                                bool keep_percent = false);
  bool first_O_seen() const { return first_O_; }

 private:
  bool first_O_ = false;
};

// Per-tool output: O and T words become comments; a D (H) word gets `new_D` (`new_H`)
// with the old word as a comment after it ("D05(D12)"), or stays when the new text is
// empty; M98 and M99 become comments.
void Convert_OTDHM_to_comment(std::string_view line, std::string_view new_D,
                              std::string_view new_H, std::string& out);

// The line without the words whose letters are in `letters` (letter case ignored); with
// an empty set it copies the line with its comments and without "%".
void Drop_words_of_letters(std::string_view line, std::string_view letters, std::string& out);

// Splits the line around its coordinates: `head` gets what stands before the first
// coordinate word (X, Y, Z, I, J, K, R), `tail` what stands after it; the coordinate words
// and G90/G91 are dropped, so the caller writes its converted coordinates in between. With
// `mirror`, G02/G03 and G41/G42 are swapped (written "G03", "G02", "G42", "G41").
void Swap_G2G3_G41G42(std::string_view line, bool mirror, std::string& head, std::string& tail);
