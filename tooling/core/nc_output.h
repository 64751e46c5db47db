// The NC outputs that the main window writes for the output text window: the line list
// they are written into, the parameters of the tool-check program, the comment preview of
// the per-tool cut-out, and the saving of an output as an NC file with its tool file.
// No Qt here.
#pragma once
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class Ttooling_host;

// CP932 lines kept in one byte buffer, each followed by CR LF: a million lines cost two
// allocations that grow, not a million.
class TText_lines {
 public:
  void clear() {
    bytes_.clear();
    starts_.clear();
  }
  void reserve(std::size_t bytes, std::size_t lines) {
    bytes_.reserve(bytes);
    starts_.reserve(lines);
  }
  void add(std::string_view line) {
    open_line() += line;
    close_line();
  }
  // Composing a line in place: append to the buffer that open_line gives, then close it.
  std::string& open_line() {
    starts_.push_back(bytes_.size());
    return bytes_;
  }
  void close_line() { bytes_ += "\r\n"; }
  std::size_t size() const { return starts_.size(); }
  bool empty() const { return starts_.empty(); }
  // Line i without its line end.
  std::string_view line(std::size_t i) const {
    const std::size_t b = starts_[i];
    const std::size_t e = i + 1 < starts_.size() ? starts_[i + 1] : bytes_.size();
    return std::string_view(bytes_).substr(b, e - b - 2);
  }
  std::string_view back() const { return line(size() - 1); }
  // Every line with its CR LF.
  const std::string& bytes() const { return bytes_; }
  void swap(TText_lines& o) noexcept {
    bytes_.swap(o.bytes_);
    starts_.swap(o.starts_);
  }

 private:
  std::string bytes_;
  std::vector<std::size_t> starts_;
};

// The texts of the tool-check dialog, as typed (CP932).
struct TTOOL_CHECK_PARAMS {
  std::string o_num = "1234";             // ED_7_O_NUM
  bool no_name = false;                   // chk_No_Name
  std::string f = "200";                  // ED_6_F
  std::string z = "-50.";                 // ED_5_Z
  std::string y = "-50.";                 // ED_4_Y
  std::string x = "-50.";                 // ED_3_X
  std::string init = "G90G00G17G40G54";   // ED_2_INIT
  std::string m6 = "M6";                  // ED_1_M6
  std::string pre_m6;                     // ED_0_PRE_M6
};

// The tool-check texts kept in the settings record (TCOND_*), and back.
struct Tdisp_status;
TTOOL_CHECK_PARAMS tool_check_params_of(const Tdisp_status& d);
void store_tool_check_params(const TTOOL_CHECK_PARAMS& p, Tdisp_status& d);

// Label19 of the tool-check dialog: the return line of the cutter check at the X of step 4.
std::string tool_check_return_label(std::string_view x_text);

// The comment preview of the cut-out dialog: prefix + ")" without a name or with
// `no_name`, else prefix + ": \"name\")".
std::string update_TDH_comment(std::string_view prefix, std::string_view name, bool no_name);

// Saving an output: "%", the program's comment lines, the lines, "%", each with CR LF.
std::string clip_save_text(const std::vector<std::string>& comment_lines, const TText_lines& lines);

enum class CLIP_SAVE_PLACE { desktop, beside_source };
struct CLIP_SAVE_RESULT {
  bool ok = false;
  std::filesystem::path file;  // the NC file written
  bool nst_written = false;
  std::string caption;         // the window's new caption (CP932)
};
// Writes the output under the first free numbered name of the program's file (or of
// "no-name.ncd") on the desktop or in the program's own folder, the tool-definition lines
// beside it as ".nst" when there are any, and shows the box that says where; with `open`
// the box says it will be shown, and a new velmor is started on the saved file. Beside the
// source without a program file, or when a write fails, a box says so and nothing is
// started.
CLIP_SAVE_RESULT save_clip_output(Ttooling_host& host, const TText_lines& lines,
                                  CLIP_SAVE_PLACE place, bool open);
