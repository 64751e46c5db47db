// Start-up and shutdown of velmor without the window: the configuration folder with the
// settings file and its default side files, the companion's default files, the internal
// log list with its header, the exception trap's decisions and the system-error box.
// No Qt here.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

struct TSession;

// The operating-system text of the log header: the kernel's name, release and version.
std::string get_OS_version_text();
// "yyyy/MM/dd hh:mm:ss" of the local time now.
std::string vlm_now_text();

// The log list's header, the log file on the desktop folder, the debug list handed to the
// debug window, the folders and the settings file path; the sine table is filled.
void init_session(TSession& s, const std::filesystem::path& program_folder,
                  const std::filesystem::path& desktop_folder);

// Creates "confignc" and writes each default file that is missing: the settings file
// (read-only in every case), the work-size presets, the default tool file, and the
// companion's folder "0_TB_datas" with its sample definition, its set-up list and its INI
// file. A failure is a debug line; start-up goes on.
void write_default_files(TSession& s);

// One default file: its path below the program folder and its lines (each written with
// CR LF).
struct TDefault_file {
  std::filesystem::path rel;
  std::vector<std::string> lines;
};
const std::vector<TDefault_file>& default_side_files();

// Writes the log list to the log file when exception-data saving is on.
void save_log_list(TSession& s);
// The end of the run: the debug lines and the end time go into the log list, which is
// saved when exception-data saving is on.
void finish_log_list(TSession& s);

// An exception reached the event loop: it is logged and the user is asked whether to go on.
// True when the program is to end (now, or already chosen before).
bool on_app_exception(TSession& s, const std::string& what);

// The system-error box with Abort, Retry and Ignore; true when the user chose Abort (the
// program is to end). Nothing is shown while the program is ending.
bool show_system_err(TSession& s, const std::string& text);
