#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tags/GenreNames.h"

TEST(GenreNames, ListHasEveryNameOnceWithTheShortenedOnes) {
  std::set<std::string> names(genre_names, genre_names + kGenreCount);
  EXPECT_EQ(names.size(), kGenreCount);
  EXPECT_STREQ(genre_names[0], "Blues");
  EXPECT_STREQ(genre_names[79], "Hard Rock");
  EXPECT_STREQ(genre_names[136], "Christian Gangsta");
  EXPECT_STREQ(genre_names[140], "Contemporary C");
  EXPECT_STREQ(genre_names[147], "SynthPop");
}

TEST(GenreNames, ReferencesBecomeNames) {
  EXPECT_EQ(GenreNameFromReference("(17)"), "Rock");
  EXPECT_EQ(GenreNameFromReference("17"), "Rock");
  EXPECT_EQ(GenreNameFromReference("0"), "Blues");
  EXPECT_EQ(GenreNameFromReference("(147)"), "SynthPop");
  EXPECT_EQ(GenreNameFromReference("(17)(18)"), "Rock");            // several genres: the first
  EXPECT_EQ(GenreNameFromReference("(31)Psy Trance"), "Psy Trance"); // refinement wins
}

TEST(GenreNames, EveryReferenceGivesItsName) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"(17)(18)", {"Rock", "Techno"}},       {"(RX)(CR)", {"Remix", "Cover"}},
      {"RX", {"Remix"}},                      {"CR", {"Cover"}},
      {"(8)(RX)Jazz Remix", {"Jazz", "Jazz Remix"}}, {"(31)Psy Trance", {"Psy Trance"}},
      {"17", {"Rock"}},                       {"Synthpop", {"Synthpop"}},
      {"(148)", {"(148)"}},                   {"((17) text", {"(17) text"}},
  };
  for (const auto& [text, names] : cases) EXPECT_EQ(GenreNamesFromReference(text), names) << text;
}

TEST(GenreNames, OtherTextStaysAsItIs) {
  for (const char* text : {"", "Rock", "(148)", "148", "999", "(1234)", "(17", "17a", "()", "((17) text"}) {
    std::string expected = text;
    if (expected.rfind("((", 0) == 0) expected = expected.substr(1);
    EXPECT_EQ(GenreNameFromReference(text), expected) << text;
  }
}
