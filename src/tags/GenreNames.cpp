#include "tags/GenreNames.h"

#include <cctype>

const char* const genre_names[kGenreCount] = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal",
    "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk",
    "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise",
    "Alternative Rock", "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic",
    "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta",
    "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native US", "Cabaret", "New Wave", "Psychedelic", "Rave", "Showtunes",
    "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock",
    "Folk", "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebop", "Latin", "Revival", "Celtic", "Bluegrass",
    "Avant-garde", "Gothic Rock", "Progressive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Acoustic",
    "Humor", "Speech", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus", "Porn Groove",
    "Satire", "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul", "Freestyle",
    "Duet", "Punk Rock", "Drum Solo", "A capella", "Euro-House", "Dance Hall", "Goa", "Drum & Bass", "Club-House", "Hardcore",
    "Terror", "Indie", "Britpop", "Negerpunk", "Polsk Punk", "Beat", "Christian Gangsta", "Heavy Metal", "Black Metal", "Crossover",
    "Contemporary C", "Christian Rock", "Merengue", "Salsa", "Thrash Metal", "Anime", "JPop", "SynthPop",
};

namespace {

// Parses up to three decimal digits starting at `pos`; -1 when there are none or too many.
int ParseGenreNumber(const std::string& text, size_t pos, size_t* end) {
  int value = 0;
  size_t i = pos;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && i - pos < 4) {
    value = value * 10 + (text[i] - '0');
    ++i;
  }
  if (i == pos || i - pos > 3) return -1;
  *end = i;
  return value;
}

}  // namespace

std::string GenreNameFromReference(const std::string& text) {
  size_t end = 0;
  if (!text.empty() && text[0] == '(') {
    // "((text" is an escaped opening parenthesis, not a reference.
    if (text.size() > 1 && text[1] == '(') return text.substr(1);
    int n = ParseGenreNumber(text, 1, &end);
    if (n < 0 || end >= text.size() || text[end] != ')') return text;
    // "(17)Rock": the refinement after the reference is the name the tagger meant; "(17)(18)"
    // lists several genres, of which the first one is kept.
    if (end + 1 < text.size() && text[end + 1] != '(') return text.substr(end + 1);
    return static_cast<size_t>(n) < kGenreCount ? genre_names[n] : text;
  }
  int n = ParseGenreNumber(text, 0, &end);
  if (n >= 0 && end == text.size() && static_cast<size_t>(n) < kGenreCount) return genre_names[n];
  return text;
}

namespace {

// The name of one reference's inside ("17", "RX", "CR"); empty when it is none.
std::string NameOfReference(const std::string& inside) {
  if (inside == "RX") return "Remix";
  if (inside == "CR") return "Cover";
  size_t end = 0;
  const int n = ParseGenreNumber(inside, 0, &end);
  if (n >= 0 && end == inside.size() && static_cast<size_t>(n) < kGenreCount) return genre_names[n];
  return std::string();
}

}  // namespace

std::vector<std::string> GenreNamesFromReference(const std::string& text) {
  std::vector<std::string> names;
  size_t pos = 0;
  while (pos < text.size() && text[pos] == '(' && (pos + 1 >= text.size() || text[pos + 1] != '(')) {
    const size_t close = text.find(')', pos);
    if (close == std::string::npos) break;
    const std::string name = NameOfReference(text.substr(pos + 1, close - pos - 1));
    if (name.empty()) break;
    names.push_back(name);
    pos = close + 1;
  }
  std::string rest = text.substr(pos);
  if (rest.compare(0, 2, "((") == 0) rest.erase(0, 1);  // an escaped parenthesis
  if (pos == 0) {
    const std::string bare = NameOfReference(rest);
    return {bare.empty() ? rest : bare};
  }
  if (!rest.empty()) names.back() = rest;
  return names;
}
