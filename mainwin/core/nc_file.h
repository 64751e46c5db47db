// The NC file commands of the main window: opening a file as the whole program, inserting
// or appending another, the NC text writer behind Save and Save as, the tool file beside an
// NC file, the temporary file through which edits reload the program, the status caption,
// the error list and jumping to a line. No Qt here.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

struct TSession;
class TVLM_ui;

// Bytes of one piece of a load: Escape is polled between pieces.
inline constexpr std::size_t NCD_LOAD_PIECE = 4u << 20;

// The form the store gives a line: ASCII letters upper-cased, TABs as blanks, cut at 250
// bytes without splitting a double-byte character.
std::string NCD_store_form(std::string_view raw);

// Loads the file as the whole program. The file is read and split into the spare record;
// only a complete load takes the place of the program in use, so a missing or unreadable
// file, a full store or Escape keep the earlier program (false).
bool open_NCD(TSession& s, TVLM_ui& ui, const std::filesystem::path& file);
// Inserts the file, framed by "(VLM I ST NAME)" and "(VLM I EN NAME)", before the current
// line (at_cur) or after the last; into an empty program it opens the file.
bool insert_NCD(TSession& s, TVLM_ui& ui, const std::filesystem::path& file, bool at_cur);

// The first name "%s-%2.2d%s" (a "-number" ending of the name dropped first) that does not
// exist as a file.
std::filesystem::path get_free_numbered_name(const std::filesystem::path& file);

// Writes the tool-definition lines as the ".nst" file of `nc_file` (the program's file, or
// "no-name.ncd" in the current folder when it has none).
bool save_NST_list(TSession& s);
bool save_NST_list(TSession& s, const std::filesystem::path& nc_file, std::string* err = nullptr);

// Writes the program's lines, each followed by CR LF (crlf) or LF: an unedited line with its
// file's own bytes, every other line as stored.
// Lines skip_first..skip_last (0-based) are left out when given.
bool save_NCD_text(const TSession& s, const std::filesystem::path& file, bool crlf,
                   std::string* err = nullptr, int skip_first = -1, int skip_last = -1);
// Save and Save as: the NC text and its tool file under the chosen name, which becomes the
// program's file. Nothing happens without lines; a write that fails keeps the old files.
bool save_NCD_file(TSession& s, TVLM_ui& ui, const std::filesystem::path& file, bool crlf);

// Prepares a reload through "VLM_TMP.TMP": remembers path, name and line and writes the
// temporary tool file. Mode 2 (lines sel_s..sel_e, 1-based, are deleted) moves the line to
// return to.
bool save_to_TMP(TSession& s, int mode, int sel_s = 0, int sel_e = 0);
// The temporary file of the configuration folder.
std::filesystem::path TMP_file(const TSession& s);
// Reloads the temporary file and puts path, name and line back; false when no reload was
// prepared or the load failed.
bool reload_from_TMP(TSession& s, TVLM_ui& ui);

// The status text "%s ( %d bytes , %.0f m )" and the caption "summary : status".
void set_NCD_status(TSession& s, TVLM_ui& ui);
// Shows the error list (at most 50 lines); false with "エラーはありません" when there is none.
// `refill` fills the window anew even when it already holds lines.
bool vis_ERR_list(TSession& s, TVLM_ui& ui, bool refill = false);
// Mode 1: goes to the line whose number begins the text (clamped to the program).
void jump_to_line_text(TSession& s, TVLM_ui& ui, int mode, std::string_view text);
void jump_to_line_step(TSession& s, TVLM_ui& ui, int step, int flag);
