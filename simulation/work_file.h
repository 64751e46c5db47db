// The work-data file (".wok"): the works and jigs of the store with their current grids,
// binary and little-endian: a 1044-byte header ("VELMOR_WORKS", header size, count, zeros),
// a table of (record size 340, grid size) pairs, then per work its record and its grid.
#pragma once
#include <cstdint>
#include <filesystem>
#include <istream>

#include "simulation/work_store.h"

constexpr std::uint32_t WORK_FILE_HEADER_SIZE = 1044;
constexpr std::uint32_t WORK_FILE_RECORD_SIZE = 340;
constexpr char WORK_FILE_MAGIC[] = "VELMOR_WORKS";  // 12 bytes in the file, no terminator

// One work record of the file, as stored.
struct TWORK_FILE_RECORD {
  std::uint32_t work_num = 0;    // slot it was saved from (not used when reading)
  std::uint32_t grid_size = 0;   // (nx+1) * (ny+1) * 12
  std::int32_t nx = 0, ny = 0;
  float top_z = 0, bottom_z = 0;
  float step_x = 0, step_y = 0;
  VEC3 size, min, max;
  std::uint8_t color[4] = {0, 0, 0, 0};
  std::uint32_t jig = 0;
  std::uint32_t cutting = 0;
  std::int32_t group = 0;
  std::array<char, WORK_MEMO_SIZE> memo{};
};

// Saving modes: 0 all works, 1 the given work, 2 the given work's group, 3 the given work as
// a jig, 4 as 2 without questions or success message.
bool SAVE_WORK_DATA(Tmat& m, const std::filesystem::path& file, int mode, int work);
// Loads a file, replacing the current works (after asking) or appended to them. True when
// the file was accepted and at least one work was read; `first_new` is the first new work
// number, -1 when none was taken.
bool LOAD_WORK_DATA(Tmat& m, const std::filesystem::path& file, bool append, int& first_new);
// Creates work `work` (a free slot) from a record and the grid that follows it in `grid`.
bool READ_ONE_WORK(Tmat& m, int work, int group_offset, const TWORK_FILE_RECORD& rec,
                   std::istream& grid);

// The 340 bytes of a record, and back.
void encode_work_record(const TWORK_FILE_RECORD& rec, std::uint8_t out[WORK_FILE_RECORD_SIZE]);
TWORK_FILE_RECORD decode_work_record(const std::uint8_t in[WORK_FILE_RECORD_SIZE]);
