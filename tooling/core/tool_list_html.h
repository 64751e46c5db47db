// The tool list as HTML pages with JPEG pictures, in a folder on the desktop named after the
// NC file: one page of cards, or (the program's uses with their cutter paths) a frame set of
// a menu, a top page and one page per use. Pages are CP932 with CR LF; every text taken
// from data has "&", "<" and ">" replaced by their entities. The pictures come from the
// window, encoded. No Qt.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "tooling/core/tool_list.h"

// "&", "<", ">" as "&amp;", "&lt;", "&gt;" (byte-wise: none is ever a CP932 trail byte).
std::string html_escape(const std::string& s);
// The head text every page starts with.
const std::string& tool_list_html_head();
// The instruction sheet's table row.
const std::string& tool_list_html_sheet_row();

// What the export asks of the window.
class Ttool_list_html_host {
 public:
  virtual ~Ttool_list_html_host() = default;
  // JPEG bytes of card `it`'s tool picture (w x h), on the card background; the tool is
  // drawn when `draw`. Empty when the encoder failed.
  virtual std::string tool_picture(const TLIST_ITEMS& it, int w, int h, bool draw) = 0;
  // JPEG bytes of use `seg`'s cutter path (-1: the whole program) with the stamp line drawn
  // right-aligned at the bottom; false when the user ended the export with Escape.
  virtual bool path_picture(int seg, int w, int h, const std::string& stamp,
                            std::string& jpeg) = 0;
  // Cutting simulation is on: the works are reset before each use's picture.
  virtual bool cutting_on() { return false; }
  virtual void reset_works() {}
  // Path pictures are about to be drawn: the window gets out of the main window's way.
  virtual void before_path_pictures() {}
  virtual void set_caption(const std::string& text) { (void)text; }
};

// The export's file names in the order written.
struct Ttool_list_html_result {
  std::filesystem::path folder;
  std::vector<std::string> files;
  bool finished = false;
};

// The output folder: the desktop plus the NC file's name without its extension, or
// "no_name".
std::filesystem::path tool_list_html_folder(const std::filesystem::path& desktop,
                                            const std::string& nc_file_name);

// output_HTML: writes the pages and pictures of the built list. Nothing happens for a list
// without cards or when the work-reset question is cancelled. A failed write shows a box
// naming the file and ends the export; files already written stay, as after Escape.
// `stamp` is the line drawn under the path pictures.
Ttool_list_html_result output_TOOL_LIST_HTML(const TTOOL_LIST_model& m,
                                             const TTOOL_LIST_options& o,
                                             const TTOOL_LIST_program& p,
                                             const std::filesystem::path& desktop,
                                             const std::string& stamp,
                                             Ttool_list_html_host& host);
