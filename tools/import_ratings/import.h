// import_ratings: a ratings file of the common research form (header line, then
// userId,movieId,rating,timestamp) turned into the raw dataset layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One rating of the input, with its new numbers once they are given.
struct Rating {
  int64_t user = 0;    // as read, then the raw user id of the output
  int64_t movie = 0;   // as read, then the movie number 1..M
  int64_t time = 0;    // Unix seconds
  int64_t line = 0;    // line of the input file
  uint8_t star = 0;    // whole star 1..5
  uint8_t part = 0;    // part_training, part_probe or part_qualifying
};

enum { part_training = 0, part_probe = 1, part_qualifying = 2 };

extern std::vector<Rating> RATINGS;
extern std::vector<int64_t> MOVIE_IDS;      // original movie id of movie 1..M (entry 0 unused)
extern std::vector<std::string> TITLE;      // [1..M]
extern std::vector<std::string> YEAR;       // [1..M], "NULL" when unknown

void read_ratings(const std::string& file);
void number_movies_and_users(const std::string& file);
void split_ratings(const std::string& file);
void read_movie_titles(const std::string& file);  // sets TITLE and YEAR from movieId,title,genres
void placeholder_titles();
void write_raw(const std::string& dir);

// "YYYY-MM-DD" of the UTC day that holds the Unix time; false when the year is not 1000..9999.
bool utc_date(int64_t seconds, char out[10]);
