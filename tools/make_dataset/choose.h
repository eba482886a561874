// Which movies every user rates: fills MOVIE_START and MOVIE_USERS.
#pragma once

namespace gen {

void choose_movies();

}  // namespace gen
