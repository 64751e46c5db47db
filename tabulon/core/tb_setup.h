// The set-up list, the definition files and the tool-data files of tabulon.
//
// The set-up list "0_TB_setup.txt" names the definition files after a "#TB_FILES" line.
// A definition file holds named blocks from "#TB name" to "#TB-END", each describing one
// machine: the extension of its NC files, an O-number, added NC files, tool-data files and
// the regular-expression conversions of its NC lines. Tool-data files hold "%TB T=" lines
// with the three tool comment codes of a tool.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tabulon/core/bregexp.h"
#include "tabulon/core/tabulon_view.h"

// One definition block.
struct TTB_DATA {
  std::string file_name;  // the definition file, without folder
  std::string folder;     // its folder, with a trailing separator
  std::string name;       // the trimmed name after "#TB"
  std::string memo;       // #MEMO
  std::string ext;        // #EXT
  // One entry per accepted "%" line, in parallel.
  std::vector<std::string> raw_lines, keywords, expressions;
  std::vector<std::string> pre_conv, tool_conv, necessary, code_conv;
  std::string o_num;                    // #TB-O-NUM, "" when absent
  std::vector<std::string> tool_files;  // #TB-TOOL-DATA, and the file itself at #TB-END
  std::vector<std::string> add_ncd;     // #TB-ADD-NCD
};

// The bodies of the three tool comment codes of one tool.
struct TVLM_TOOL {
  std::int32_t number = 0;
  std::string N, T, H;
};

// The tools read from tool-data files; a later tool of the same number replaces the
// earlier one.
class TVLM_tool_list {
 public:
  // Index of the tool, or -1.
  int find_VLM_tool(std::int32_t number) const;
  void set_VLM_tool(const TVLM_TOOL& t);
  // Reads a tool-data file; false (with the "Read Error" box) when it cannot be read.
  bool get_VLM_tool_data(std::string_view path, TTabulon_view& view,
                         TBRegExp& re = shared_bregexp());
  const std::vector<TVLM_TOOL>& tools() const { return tools_; }
  void clear() { tools_.clear(); }

 private:
  std::vector<TVLM_TOOL> tools_;
};

// The definitions of the main window and the readers that fill them.
class TTB_setup {
 public:
  // The regular expressions' trace lines (ignored flags) go to the view's trace meanwhile.
  explicit TTB_setup(TTabulon_view& view, TBRegExp& re = shared_bregexp());
  ~TTB_setup();
  TTB_setup(const TTB_setup&) = delete;
  TTB_setup& operator=(const TTB_setup&) = delete;

  std::string setup_folder;                // CP932, with a trailing separator
  std::vector<std::string> tb_files;       // full paths of the definition files
  std::vector<std::string> tb_file_lines;  // their lines as written in the set-up list
  std::vector<std::string> tb_file_names;  // the TB names each file defined, each + " "
  std::vector<TTB_DATA> tb_data;
  int selected = -1;

  bool get_TB_file_list(std::string_view setup_path);
  bool get_TB_data();
  // Reads the set-up list and its definitions anew and selects the combo text again.
  bool reload_TB_setup(std::string_view setup_path);
  bool select_TB_data(std::string_view name, bool clear_log);
  // As select_TB_data; a name that no definition has (a saved or typed name of a definition
  // that is gone) selects the first definition, which the list then shows.
  bool select_TB_data_or_first(std::string_view name, bool clear_log);
  void combo_vis_TB_data();
  const TTB_DATA* current() const {
    return selected >= 0 && selected < static_cast<int>(tb_data.size()) ? &tb_data[selected]
                                                                        : nullptr;
  }

  TTabulon_view& view() { return view_; }
  TBRegExp& regexp() { return re_; }

 private:
  void read_definition_line(const std::string& line, std::size_t file, bool& open, int& cur);

  TTabulon_view& view_;
  TBRegExp& re_;
};
