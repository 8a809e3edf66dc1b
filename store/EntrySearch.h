// Finding entries by a few typed characters: the search window's matching,
// without a window. Text is compared after folding away what a user cannot
// see or should not have to choose: case, full and half width (Ａ/A, ｱ/ア),
// hiragana and katakana (めも finds メモ帳). Latin letters also find kana by
// their romaji, Hepburn and the common spellings alike (shi/si, tsu/tu,
// fu/hu, chi/ti, ji/zi), a doubled consonant standing for ッ and a vowel or
// '-' for ー, so that "kamera" finds カメラ with the input method off. Kanji
// match only as typed. Characters are read as Shift-JIS, so a trail byte is
// never taken for the ASCII character it equals ('\' in ソ, '|' in ポ).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/LaunchEntry.h"

// Whether the query is found anywhere in the text, with the folds above. An
// empty query (blanks alone count as empty) is found nowhere.
bool TextMatches(std::string_view text, std::string_view query);

// Whether the query has nothing to look for: empty, or blanks alone.
bool IsEmptyQuery(std::string_view query);

// The indexes of the table's entries the query finds: those it finds in
// their names first, then those it finds only in their paths; within each,
// shorter names first, then in table order. Groups are not results: they
// open nothing.
std::vector<int> FindEntries(std::span<const LaunchEntry> table, std::string_view query);

// The names of the groups that hold the entry at index, outermost first;
// empty for an entry at the top level.
std::vector<std::string> GroupPathOf(std::span<const LaunchEntry> table, int index);
