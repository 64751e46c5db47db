// The settings file "Velmor.DAT": a block of one setting a line between the markers
// "***_environment_data" and "***_environment_end", each line the key, then ",int," and a
// decimal integer, or ",str," and a text in double quotes. The settings list holds the lines
// of the block; every setting is read and written through it, and only read_environment and
// write_environment touch the file. One table of the program's keys (name, kind, default,
// scale, clamp, target field) drives both. No Qt here.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct TSession;

inline constexpr const char* ENV_START_MARK = "***_environment_data";
inline constexpr const char* ENV_END_MARK = "***_environment_end";

class TVLM_settings {
 public:
  // The settings file; set by the start-up.
  std::filesystem::path path;
  // The lines of the data block.
  std::vector<std::string> list;
  // The file exists but could not be read: it is never written over.
  bool unreadable = false;

  // The index of the first line of the key (ASCII case ignored), or -1.
  int find(std::string_view key) const;
  // The integer of the key; a missing key is appended with the default, a line without a
  // valid 32-bit number is rewritten in place with the default (and a debug line names it).
  std::int32_t read_env_int(std::string_view key, std::int32_t def);
  // The text between the first double quote after ",str," and the last one of the line; a
  // missing key is appended with the default, a line without quotes rewritten with it.
  std::string read_env_str(std::string_view key, std::string_view def);
  // Replace the key's first line; nothing happens when the key is missing.
  void write_env_int(std::string_view key, std::int32_t v);
  void write_env_str(std::string_view key, std::string_view text);

  // Takes the lines between start and end markers (a start without an end runs to the end of
  // the file) as the settings list.
  void take_block(const std::vector<std::string>& file_lines);
  // The file's lines: the markers around the list, sorted, without later duplicates of a key.
  std::vector<std::string> file_lines() const;
};

// The order of the settings file: ASCII letters without case, punctuation before digits
// before letters (then other bytes), shorter first on a tie.
bool env_line_less(std::string_view a, std::string_view b);

// Writes a settings file that holds only the two markers, read-only. False when it failed.
bool make_default_environment(const std::filesystem::path& path, std::string* err = nullptr);

// Reads the file and applies every setting to the session's records (mode 1 at start-up,
// which also takes the window bounds and state; 0 after a dialog). Never fails: a missing
// or unreadable file gives the defaults.
bool read_environment(TSession& s, int mode);
// Stores every setting into the list and rewrites the file (read-only again). False, with
// the reason in *err (UTF-8), when the file could not be written; the old file then stays.
bool write_environment(TSession& s, std::string* err = nullptr);

// The number of keys of the table.
int env_key_count();

// Removes or restores the write permission bits of a file.
bool set_read_only(const std::filesystem::path& p, bool ro);
