#include "ncdata/ncd_rewrite.h"

#include "platform/core/cp932.h"

namespace {

constexpr bool is_number_char(char c) {
  return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}
constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

// One piece of a line as the rewriters see it.
struct Token {
  enum Kind { Plain, Dropped, Word } kind = Plain;
  std::string_view text;  // the whole piece as written
  char letter = 0;        // Word: the address letter
  int value = -1;         // Word with letter G or M: the code (saturated, never matches when huge)
};

// Reads the piece that starts at line[pos] and moves pos past it.
Token next_token(std::string_view line, std::size_t& pos) {
  const std::size_t start = pos;
  const char c = line[pos];
  Token t;
  if (c == '(') {
    const std::size_t close = line.find(')', pos + 1);
    pos = close == std::string_view::npos ? line.size() : close + 1;
  } else if (c == '%' || c == '\0') {
    t.kind = Token::Dropped;
    pos += 1;
  } else if (c >= 'A' && c <= 'Z') {
    std::size_t end = pos + 1;
    if (c == 'G' || c == 'M') {
      // The whole number, as the tokenizer reads it: a sign, digits, a point and digits
      // (G90.1 runs as G90, G+2 as G2). The code is its integer part.
      bool neg = false;
      if (end < line.size() && (line[end] == '+' || line[end] == '-')) neg = line[end++] == '-';
      int value = 0, digits = 0;
      while (end < line.size() && is_digit(line[end])) {
        if (value < 100000) value = value * 10 + (line[end] - '0');
        ++end, ++digits;
      }
      if (end < line.size() && line[end] == '.') {
        ++end;
        while (end < line.size() && is_digit(line[end])) ++end, ++digits;
      }
      if (digits == 0) end = pos + 1;  // a letter without a number
      t.value = neg ? -value : value;
    } else {
      while (end < line.size() && is_number_char(line[end])) ++end;
    }
    if (end > pos + 1) {
      t.kind = Token::Word;
      t.letter = c;
    }
    pos = end;
  } else {
    pos += plat::sjis_char_len(line, pos);
  }
  t.text = line.substr(start, pos - start);
  return t;
}

// Calls f(token) for every piece of the line.
template <class F>
void scan_line(std::string_view line, F&& f) {
  std::size_t pos = 0;
  while (pos < line.size()) f(next_token(line, pos));
}

void append_as_comment(std::string& out, std::string_view word) {
  out += '(';
  out += word;
  out += ')';
}

bool is_subprogram_M(const Token& t) {
  return t.letter == 'M' && (t.value == 98 || t.value == 99);
}

// "D" + new number + "(D12)"; the word itself when the new number is empty.
void append_renumbered(std::string& out, const Token& t, std::string_view new_number) {
  if (new_number.empty()) {
    out += t.text;
    return;
  }
  out += t.letter;
  out += new_number;
  append_as_comment(out, t.text);
}

bool is_coordinate_letter(char c) {
  return c == 'X' || c == 'Y' || c == 'Z' || c == 'I' || c == 'J' || c == 'K' || c == 'R';
}

}  // namespace

void TNC_subprogram_rewriter::Convert_O_M98_to_comment(std::string_view line, bool reset,
                                                       std::string& out, bool keep_percent) {
  out.clear();
  if (reset) {
    first_O_ = false;
    return;
  }
  scan_line(line, [&](const Token& t) {
    if (t.kind == Token::Dropped && !(keep_percent && t.text == "%")) return;
    if (t.kind == Token::Word && t.letter == 'O') {
      if (first_O_) {
        append_as_comment(out, t.text);
      } else {
        out += t.text;
        first_O_ = true;
      }
    } else if (t.kind == Token::Word && is_subprogram_M(t)) {
      append_as_comment(out, t.text);
    } else {
      out += t.text;
    }
  });
}

void Convert_OTDHM_to_comment(std::string_view line, std::string_view new_D,
                              std::string_view new_H, std::string& out) {
  out.clear();
  scan_line(line, [&](const Token& t) {
    if (t.kind == Token::Dropped) return;
    if (t.kind != Token::Word) {
      out += t.text;
      return;
    }
    switch (t.letter) {
      case 'O':
      case 'T':
        append_as_comment(out, t.text);
        break;
      case 'D':
        append_renumbered(out, t, new_D);
        break;
      case 'H':
        append_renumbered(out, t, new_H);
        break;
      default:
        if (is_subprogram_M(t))
          append_as_comment(out, t.text);
        else
          out += t.text;
    }
  });
}

void Drop_words_of_letters(std::string_view line, std::string_view letters, std::string& out) {
  bool dropped[26] = {};
  for (char c : letters) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z') dropped[c - 'A'] = true;
  }
  out.clear();
  scan_line(line, [&](const Token& t) {
    if (t.kind == Token::Dropped) return;
    if (t.kind == Token::Word && dropped[t.letter - 'A']) return;
    out += t.text;
  });
}

void Swap_G2G3_G41G42(std::string_view line, bool mirror, std::string& head, std::string& tail) {
  head.clear();
  tail.clear();
  std::string* target = &head;
  scan_line(line, [&](const Token& t) {
    if (t.kind == Token::Dropped) return;
    if (t.kind == Token::Word && is_coordinate_letter(t.letter)) {
      target = &tail;
      return;
    }
    if (t.kind == Token::Word && t.letter == 'G') {
      if (t.value == 90 || t.value == 91) return;
      if (mirror) {
        switch (t.value) {
          case 2: *target += "G03"; return;
          case 3: *target += "G02"; return;
          case 41: *target += "G42"; return;
          case 42: *target += "G41"; return;
          default: break;
        }
      }
    }
    *target += t.text;
  });
}
