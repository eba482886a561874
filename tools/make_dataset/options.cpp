#include "options.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>

#include "fail.h"
#include "model.h"

namespace gen {

namespace {

const char USAGE[] =
    "usage: make_dataset OUT [options]\n"
    "Writes a synthetic raw rating dataset into the folder OUT: training_set/ with one\n"
    "file per movie, probe.txt, qualifying.txt, qualifying_answers.txt, movie_titles.txt.\n"
    "\n"
    "options:\n"
    "  --ratings N            training ratings (default 100480507)\n"
    "  --users U              users, each with at least one rating\n"
    "                         (default 480189 scaled by N / 100480507)\n"
    "  --queries Q            qualifying queries (default 2817131 scaled the same way)\n"
    "  --qualifying-movies K  movies with qualifying queries (default 17470, at most Q)\n"
    "  --seed S               seed of every random choice (default 0)\n"
    "  --threads T            worker threads (default: the machine's hardware threads)\n"
    "  --verbose              print a summary of the shape on stderr\n"
    "  --help                 print this text and exit\n";

uint64_t number_of(std::string_view option, std::string_view text) {
  uint64_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size())
    rl::fail_input(std::string(option) + ": not a whole number: " + std::string(text));
  return value;
}

// (a * b + c / 2) / c without overflow for the sizes allowed here.
uint64_t scaled(uint64_t a, uint64_t b, uint64_t c) {
  return static_cast<uint64_t>((static_cast<unsigned __int128>(a) * b + c / 2) / c);
}

}  // namespace

void parse_options(int argc, char** argv) {
  bool have_users = false, have_queries = false, have_qual = false, have_out = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--help") {
      std::fputs(USAGE, stdout);
      std::fflush(stdout);
      std::exit(0);
    }
    if (arg == "--verbose") {
      SET.verbose = true;
      continue;
    }
    if (arg.size() > 2 && arg.substr(0, 2) == "--") {
      std::string_view name = arg, value;
      bool inline_value = false;
      if (auto eq = arg.find('='); eq != std::string_view::npos) {
        name = arg.substr(0, eq);
        value = arg.substr(eq + 1);
        inline_value = true;
      }
      if (name != "--ratings" && name != "--users" && name != "--queries" &&
          name != "--qualifying-movies" && name != "--seed" && name != "--threads")
        rl::fail_input("unknown option: " + std::string(arg) + " (see --help)");
      if (!inline_value) {
        if (i + 1 >= argc) rl::fail_input(std::string(name) + ": missing value");
        value = argv[++i];
      }
      uint64_t v = number_of(name, value);
      if (name == "--ratings") SET.ratings = v;
      if (name == "--users") SET.users = v, have_users = true;
      if (name == "--queries") SET.queries = v, have_queries = true;
      if (name == "--qualifying-movies") SET.qual_movies = v, have_qual = true;
      if (name == "--seed") SET.seed = v;
      if (name == "--threads") {
        if (v < 1 || v > 256) rl::fail_input("--threads: must be 1..256: " + std::string(value));
        SET.threads = static_cast<unsigned>(v);
      }
      continue;
    }
    if (arg.size() > 1 && arg[0] == '-') rl::fail_input("unknown option: " + std::string(arg) + " (see --help)");
    if (have_out) rl::fail_input("more than one output folder: " + std::string(arg));
    SET.out = std::string(arg);
    have_out = true;
  }
  if (!have_out) rl::fail_input("no output folder given (usage: make_dataset OUT [options], see --help)");

  uint64_t r = SET.ratings;
  if (r < 1 || r > 0xffffffffULL)
    rl::fail_input("--ratings: must be 1..4294967295: " + std::to_string(r));
  if (!have_users) {
    SET.users = scaled(FULL_USERS, r, FULL_RATINGS);
    if (SET.users < 1) SET.users = 1;
    uint64_t least = (r + USER_CAP - 1) / USER_CAP;
    if (SET.users < least) SET.users = least;
  }
  uint64_t u = SET.users;
  if (u < 1 || u > ID_MAX)
    rl::fail_input("--users: must be 1.." + std::to_string(ID_MAX) + ": " + std::to_string(u));
  if (u > r)
    rl::fail_input("--users: " + std::to_string(u) + " users need at least as many ratings, --ratings is " +
                   std::to_string(r));
  if (r > u * USER_CAP)
    rl::fail_input("--ratings: " + std::to_string(r) + " ratings need more than " + std::to_string(u) +
                   " users (a user rates at most " + std::to_string(USER_CAP) + " movies)");
  if (!have_queries) SET.queries = scaled(FULL_QUERIES, r, FULL_RATINGS);
  uint64_t q = SET.queries;
  if (q > u * MOVIES - r)
    rl::fail_input("--queries: " + std::to_string(q) + " queries do not fit beside the ratings (" +
                   std::to_string(u * MOVIES - r) + " unrated pairs)");
  if (!have_qual) SET.qual_movies = q < FULL_QUAL_MOVIES ? q : FULL_QUAL_MOVIES;
  uint64_t k = SET.qual_movies;
  if (k > MOVIES) rl::fail_input("--qualifying-movies: must be at most 17770: " + std::to_string(k));
  if (k > q)
    rl::fail_input("--qualifying-movies: " + std::to_string(k) + " movies need at least as many queries, --queries is " +
                   std::to_string(q));
  if (q > 0 && k == 0) rl::fail_input("--qualifying-movies: must be at least 1 when there are queries");
  if (SET.threads == 0) {
    SET.threads = std::thread::hardware_concurrency();
    if (SET.threads == 0) SET.threads = 1;
  }
}

}  // namespace gen
