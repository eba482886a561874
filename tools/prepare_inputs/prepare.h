// prepare_inputs: from a raw dataset folder, every prepared file the category chain
// reads. All input is read and checked before the first output is opened, so a bad
// input leaves the files of an earlier run as they were.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "array.h"

// The raw folder given on the command line, without a trailing slash.
extern std::string RAW_DIR;

// Training ratings in movie-major order (movie 1..17770, then line order of its file).
extern int32_t NRATINGS;
extern rl::Array<int32_t> MEND;     // [0..17770] ratings of movies 1..m
extern rl::Array<int32_t> USERIDS;  // [1..R] raw user id, then the short user index
extern rl::Array<uint8_t> SCORES;   // [1..R] star value

// Users, by short index = rank of the raw id among the users present.
extern int32_t NUSERS;
extern rl::Array<int32_t> SHORTID;  // [1..2649429], 0 for raw ids not present
extern rl::Array<int32_t> UEND;     // [0..U]
extern rl::Array<uint16_t> UMOVIE;  // [1..R]
extern rl::Array<uint8_t> USTARS;   // [1..R]
extern rl::Array<int32_t> USIZE;    // [0..480189] ratings of the user
extern rl::Array<int32_t> USTAT;    // [1..480189] mean star x 1000, rounded
extern rl::Array<int32_t> MSTAT;    // [1..17770] ratings of the movie

// Probe list: groups in the order of probe.txt.
extern std::vector<int32_t> PEND;   // [0..A]
extern std::vector<int32_t> PMOVIE; // [1..A+1], the last 0
extern std::vector<int32_t> PUSER;  // [1..B] raw user id
extern std::vector<uint8_t> PSTARS; // [1..B]

// Qualifying queries: the text written with CR LF line ends and the three query arrays
// the predictor's parsing pass makes of it.
extern std::string QTEXT;
extern std::vector<int32_t> QEND;   // [0..M]
extern std::vector<int32_t> QMOVIE; // [1..M+1], the last 0
extern std::vector<int32_t> QUSER;  // [1..Q]

// Movie names: title bytes and year (0 = unknown) of movies 1..17770.
extern std::vector<std::string> MNAME;  // [1..17770]; entry 0 unused
extern rl::Array<uint16_t> MWORD;       // [1..17770]

int worker_count();

void read_training();        // MEND, USERIDS (raw), SCORES
void build_user_tables();    // SHORTID, UEND, UMOVIE, USTARS, USIZE, USTAT, MSTAT; USERIDS -> short
void read_probe();
void read_qualifying();
void read_titles();

// Position of the user's rating of the movie in UMOVIE, or 0 when the user has none.
int64_t find_rating(int32_t short_user, int32_t movie);

void check_dataset_entry();  // the working folder's "dataset" entry can be made
void write_outputs();
