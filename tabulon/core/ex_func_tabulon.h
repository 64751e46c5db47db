// The conversion of one dropped NC file: the selected definition's substitutions run on
// every line, the tools of the "T" words are collected, and the O-number copy, the check NC
// file "<name>_VLM.NCD" and the tool file "<name>_VLM.nst" are written for velmor.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tabulon/core/bregexp.h"
#include "tabulon/core/tb_setup.h"

// The state of one conversion run.
struct Tex_func {
  std::vector<std::string> pre_conv, code_conv;
  std::vector<std::string> conv_lines;  // output lines, in order
  std::vector<std::string> tool_lines;  // the tool comment codes of the tool file
  std::vector<std::int32_t> tool_numbers;  // each once, in the order met
  std::string o_num;

  // Converts one line into the lists. Tool numbers beyond the 32-bit range are skipped
  // with a trace line through `trace` (when given).
  void conv_NC_line(std::string line, TBRegExp& re, TTabulon_view* trace = nullptr);
};

// "%.4D": at least four digits.
std::string tool_number_text(std::int32_t n);

// The conversion run, reporting in the view's log pane. True when it ended with
// "処理は終了しました。"; `check_file` then names the check NC file (when one was written,
// else it is empty).
bool conv_NCD_file(TTB_setup& setup, const std::filesystem::path& source,
                   const std::string& name, std::filesystem::path& check_file);
