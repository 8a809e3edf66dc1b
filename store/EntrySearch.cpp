#include "store/EntrySearch.h"

#include <algorithm>
#include <cstring>

#include "platform/AnsiText.h"

namespace {

// Code page 932's hiragana ぁ..ん and the katakana they become (ァ..ン; the
// katakana rows skip 83 7F).
constexpr unsigned kHiraganaFirst = 0x829F;
constexpr unsigned kHiraganaLast = 0x82F1;
constexpr unsigned kKatakanaFirst = 0x8340;
constexpr unsigned kKatakanaGap = 0x837F;
constexpr unsigned kKatakanaLast = 0x8396;
constexpr unsigned kVoicedMark = 0x814A;     // ゛ (ﾞ folded)
constexpr unsigned kSemiVoicedMark = 0x814B; // ゜ (ﾟ folded)
constexpr unsigned kLongVowel = 0x815B;      // ー
constexpr unsigned kSmallTsu = 0x8362;       // ッ
constexpr unsigned kIdeographicSpace = 0x8140;

// A katakana, or two (one and a small one after it), and its romaji
// spellings, separated by blanks.
struct KanaSpelling {
    unsigned short first;
    unsigned short second; // 0: one katakana
    const char* spellings;
};

constexpr KanaSpelling kSpellings[] = {
    {0x8341, 0x0000, "a"},                 // ア
    {0x8343, 0x0000, "i"},                 // イ
    {0x8345, 0x0000, "u wu"},              // ウ
    {0x8347, 0x0000, "e"},                 // エ
    {0x8349, 0x0000, "o"},                 // オ
    {0x834A, 0x0000, "ka ca"},             // カ
    {0x834C, 0x0000, "ki"},                // キ
    {0x834E, 0x0000, "ku cu qu"},          // ク
    {0x8350, 0x0000, "ke"},                // ケ
    {0x8352, 0x0000, "ko co"},             // コ
    {0x834B, 0x0000, "ga"},                // ガ
    {0x834D, 0x0000, "gi"},                // ギ
    {0x834F, 0x0000, "gu"},                // グ
    {0x8351, 0x0000, "ge"},                // ゲ
    {0x8353, 0x0000, "go"},                // ゴ
    {0x8354, 0x0000, "sa"},                // サ
    {0x8356, 0x0000, "shi si ci"},         // シ
    {0x8358, 0x0000, "su"},                // ス
    {0x835A, 0x0000, "se ce"},             // セ
    {0x835C, 0x0000, "so"},                // ソ
    {0x8355, 0x0000, "za"},                // ザ
    {0x8357, 0x0000, "ji zi"},             // ジ
    {0x8359, 0x0000, "zu"},                // ズ
    {0x835B, 0x0000, "ze"},                // ゼ
    {0x835D, 0x0000, "zo"},                // ゾ
    {0x835E, 0x0000, "ta"},                // タ
    {0x8360, 0x0000, "chi ti"},            // チ
    {0x8363, 0x0000, "tsu tu"},            // ツ
    {0x8365, 0x0000, "te"},                // テ
    {0x8367, 0x0000, "to"},                // ト
    {0x835F, 0x0000, "da"},                // ダ
    {0x8361, 0x0000, "ji di zi"},          // ヂ
    {0x8364, 0x0000, "zu du"},             // ヅ
    {0x8366, 0x0000, "de"},                // デ
    {0x8368, 0x0000, "do"},                // ド
    {0x8369, 0x0000, "na"},                // ナ
    {0x836A, 0x0000, "ni"},                // ニ
    {0x836B, 0x0000, "nu"},                // ヌ
    {0x836C, 0x0000, "ne"},                // ネ
    {0x836D, 0x0000, "no"},                // ノ
    {0x836E, 0x0000, "ha"},                // ハ
    {0x8371, 0x0000, "hi"},                // ヒ
    {0x8374, 0x0000, "fu hu"},             // フ
    {0x8377, 0x0000, "he"},                // ヘ
    {0x837A, 0x0000, "ho"},                // ホ
    {0x836F, 0x0000, "ba"},                // バ
    {0x8372, 0x0000, "bi"},                // ビ
    {0x8375, 0x0000, "bu"},                // ブ
    {0x8378, 0x0000, "be"},                // ベ
    {0x837B, 0x0000, "bo"},                // ボ
    {0x8370, 0x0000, "pa"},                // パ
    {0x8373, 0x0000, "pi"},                // ピ
    {0x8376, 0x0000, "pu"},                // プ
    {0x8379, 0x0000, "pe"},                // ペ
    {0x837C, 0x0000, "po"},                // ポ
    {0x837D, 0x0000, "ma"},                // マ
    {0x837E, 0x0000, "mi"},                // ミ
    {0x8380, 0x0000, "mu"},                // ム
    {0x8381, 0x0000, "me"},                // メ
    {0x8382, 0x0000, "mo"},                // モ
    {0x8384, 0x0000, "ya"},                // ヤ
    {0x8386, 0x0000, "yu"},                // ユ
    {0x8388, 0x0000, "yo"},                // ヨ
    {0x8389, 0x0000, "ra la"},             // ラ
    {0x838A, 0x0000, "ri li"},             // リ
    {0x838B, 0x0000, "ru lu"},             // ル
    {0x838C, 0x0000, "re le"},             // レ
    {0x838D, 0x0000, "ro lo"},             // ロ
    {0x838F, 0x0000, "wa"},                // ワ
    {0x8390, 0x0000, "wi i"},              // ヰ
    {0x8391, 0x0000, "we e"},              // ヱ
    {0x8392, 0x0000, "wo o"},              // ヲ
    {0x8393, 0x0000, "nn n' n"},           // ン
    {0x8394, 0x0000, "vu"},                // ヴ
    {0x8340, 0x0000, "a xa la"},           // ァ
    {0x8342, 0x0000, "i xi li"},           // ィ
    {0x8344, 0x0000, "u xu lu"},           // ゥ
    {0x8346, 0x0000, "e xe le"},           // ェ
    {0x8348, 0x0000, "o xo lo"},           // ォ
    {0x8383, 0x0000, "ya xya lya"},        // ャ
    {0x8385, 0x0000, "yu xyu lyu"},        // ュ
    {0x8387, 0x0000, "yo xyo lyo"},        // ョ
    {0x838E, 0x0000, "wa xwa lwa"},        // ヮ
    {0x8362, 0x0000, "xtsu xtu ltsu ltu"}, // ッ
    {0x8395, 0x0000, "ka xka lka"},        // ヵ
    {0x8396, 0x0000, "ke ka ga xke lke"},  // ヶ
    {0x834C, 0x8383, "kya"},               // キャ
    {0x834C, 0x8385, "kyu"},               // キュ
    {0x834C, 0x8387, "kyo"},               // キョ
    {0x834D, 0x8383, "gya"},               // ギャ
    {0x834D, 0x8385, "gyu"},               // ギュ
    {0x834D, 0x8387, "gyo"},               // ギョ
    {0x836A, 0x8383, "nya"},               // ニャ
    {0x836A, 0x8385, "nyu"},               // ニュ
    {0x836A, 0x8387, "nyo"},               // ニョ
    {0x8371, 0x8383, "hya"},               // ヒャ
    {0x8371, 0x8385, "hyu"},               // ヒュ
    {0x8371, 0x8387, "hyo"},               // ヒョ
    {0x837E, 0x8383, "mya"},               // ミャ
    {0x837E, 0x8385, "myu"},               // ミュ
    {0x837E, 0x8387, "myo"},               // ミョ
    {0x838A, 0x8383, "rya"},               // リャ
    {0x838A, 0x8385, "ryu"},               // リュ
    {0x838A, 0x8387, "ryo"},               // リョ
    {0x8372, 0x8383, "bya"},               // ビャ
    {0x8372, 0x8385, "byu"},               // ビュ
    {0x8372, 0x8387, "byo"},               // ビョ
    {0x8373, 0x8383, "pya"},               // ピャ
    {0x8373, 0x8385, "pyu"},               // ピュ
    {0x8373, 0x8387, "pyo"},               // ピョ
    {0x8356, 0x8383, "sha sya"},           // シャ
    {0x8360, 0x8383, "cha tya cya"},       // チャ
    {0x8357, 0x8383, "ja zya jya"},        // ジャ
    {0x8361, 0x8383, "ja dya"},            // ヂャ
    {0x8356, 0x8385, "shu syu"},           // シュ
    {0x8360, 0x8385, "chu tyu cyu"},       // チュ
    {0x8357, 0x8385, "ju zyu jyu"},        // ジュ
    {0x8361, 0x8385, "ju dyu"},            // ヂュ
    {0x8356, 0x8387, "sho syo"},           // ショ
    {0x8360, 0x8387, "cho tyo cyo"},       // チョ
    {0x8357, 0x8387, "jo zyo jyo"},        // ジョ
    {0x8361, 0x8387, "jo dyo"},            // ヂョ
    {0x8356, 0x8346, "she sye"},           // シェ
    {0x8360, 0x8346, "che tye cye"},       // チェ
    {0x8357, 0x8346, "je zye jye"},        // ジェ
    {0x8361, 0x8346, "je dye"},            // ヂェ
    {0x8374, 0x8340, "fa"},                // ファ
    {0x8374, 0x8342, "fi"},                // フィ
    {0x8374, 0x8346, "fe"},                // フェ
    {0x8374, 0x8348, "fo"},                // フォ
    {0x8374, 0x8385, "fyu"},               // フュ
    {0x8365, 0x8342, "ti thi"},            // ティ
    {0x8366, 0x8342, "di dhi"},            // ディ
    {0x8367, 0x8344, "tu twu"},            // トゥ
    {0x8368, 0x8344, "du dwu"},            // ドゥ
    {0x8365, 0x8385, "tyu thu"},           // テュ
    {0x8366, 0x8385, "dyu dhu"},           // デュ
    {0x8345, 0x8342, "wi"},                // ウィ
    {0x8345, 0x8346, "we"},                // ウェ
    {0x8345, 0x8348, "wo"},                // ウォ
    {0x8394, 0x8340, "va"},                // ヴァ
    {0x8394, 0x8342, "vi"},                // ヴィ
    {0x8394, 0x8346, "ve"},                // ヴェ
    {0x8394, 0x8348, "vo"},                // ヴォ
    {0x8363, 0x8340, "tsa"},               // ツァ
    {0x8363, 0x8342, "tsi"},               // ツィ
    {0x8363, 0x8346, "tse"},               // ツェ
    {0x8363, 0x8348, "tso"},               // ツォ
    {0x8343, 0x8346, "ye"},                // イェ
    {0x834C, 0x8346, "kye"},               // キェ
    {0x834D, 0x8346, "gye"},               // ギェ
    {0x836A, 0x8346, "nye"},               // ニェ
    {0x8371, 0x8346, "hye"},               // ヒェ
};

// A katakana and its forms with ゛ and ゜ (0: none), for half-width text,
// where the marks are characters of their own.
struct Voicing {
    unsigned short plain;
    unsigned short voiced;
    unsigned short semiVoiced;
};

constexpr Voicing kVoicings[] = {
    {0x8345, 0x8394, 0x0000}, // ウ
    {0x834A, 0x834B, 0x0000}, // カ
    {0x834C, 0x834D, 0x0000}, // キ
    {0x834E, 0x834F, 0x0000}, // ク
    {0x8350, 0x8351, 0x0000}, // ケ
    {0x8352, 0x8353, 0x0000}, // コ
    {0x8354, 0x8355, 0x0000}, // サ
    {0x8356, 0x8357, 0x0000}, // シ
    {0x8358, 0x8359, 0x0000}, // ス
    {0x835A, 0x835B, 0x0000}, // セ
    {0x835C, 0x835D, 0x0000}, // ソ
    {0x835E, 0x835F, 0x0000}, // タ
    {0x8360, 0x8361, 0x0000}, // チ
    {0x8363, 0x8364, 0x0000}, // ツ
    {0x8365, 0x8366, 0x0000}, // テ
    {0x8367, 0x8368, 0x0000}, // ト
    {0x836E, 0x836F, 0x8370}, // ハ
    {0x8371, 0x8372, 0x8373}, // ヒ
    {0x8374, 0x8375, 0x8376}, // フ
    {0x8377, 0x8378, 0x8379}, // ヘ
    {0x837A, 0x837B, 0x837C}, // ホ
};

using Units = std::vector<unsigned>;

unsigned FoldKana(unsigned c) {
    if (c < kHiraganaFirst || c > kHiraganaLast)
        return c;
    unsigned katakana = kKatakanaFirst + (c - kHiraganaFirst);
    return katakana >= kKatakanaGap ? katakana + 1 : katakana;
}

bool IsKatakana(unsigned c) {
    return c >= kKatakanaFirst && c <= kKatakanaLast && c != kKatakanaGap;
}

// Half-width ｶﾞ arrives as カ and ゛: one character, as ガ is.
bool JoinMark(Units* units, unsigned mark) {
    if (units->empty())
        return false;
    for (const Voicing& voicing : kVoicings) {
        if (voicing.plain != units->back())
            continue;
        unsigned joined = mark == kVoicedMark ? voicing.voiced : voicing.semiVoiced;
        if (joined == 0)
            return false;
        units->back() = joined;
        return true;
    }
    return false;
}

// The text as the characters compared: Shift-JIS read character by
// character, then folded by width, case and kana.
Units Fold(std::string_view text) {
    std::string bytes(text); // ReadCharacter reads up to a NUL
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.c_str());
    Units units;
    while (unsigned c = ReadCharacter(p, kShiftJisCodePage)) {
        c = FoldKana(FoldCase(FoldWidth(c, kShiftJisCodePage), kShiftJisCodePage));
        if ((c == kVoicedMark || c == kSemiVoicedMark) && JoinMark(&units, c))
            continue;
        units.push_back(c);
    }
    return units;
}

bool IsBlankUnit(unsigned c) {
    return c == ' ' || c == '\t' || c == kIdeographicSpace;
}

Units FoldQuery(std::string_view query) {
    Units units = Fold(query);
    while (!units.empty() && IsBlankUnit(units.back()))
        units.pop_back();
    size_t blanks = 0;
    while (blanks < units.size() && IsBlankUnit(units[blanks]))
        ++blanks;
    units.erase(units.begin(), units.begin() + static_cast<std::ptrdiff_t>(blanks));
    return units;
}

bool IsRomajiLetter(unsigned c) {
    return (c >= 'a' && c <= 'z') || c == '\'' || c == '-';
}

bool IsVowel(unsigned c) {
    return c == 'a' || c == 'i' || c == 'u' || c == 'e' || c == 'o';
}

// Calls each(spelling, kana taken: 1 or 2) for the spellings of the kana at
// the front of the name.
template <typename Each>
void ForEachSpelling(const Units& name, size_t at, Each each) {
    for (const KanaSpelling& kana : kSpellings) {
        if (kana.first != name[at])
            continue;
        size_t taken = 1;
        if (kana.second != 0) {
            if (at + 1 >= name.size() || name[at + 1] != kana.second)
                continue;
            taken = 2;
        }
        std::string_view rest = kana.spellings;
        while (!rest.empty()) {
            size_t blank = rest.find(' ');
            each(rest.substr(0, blank), taken);
            if (blank == std::string_view::npos)
                break;
            rest.remove_prefix(blank + 1);
        }
    }
}

// The match of the query from one place in the name onwards, trying every
// spelling; a place found not to match is remembered for the other starts.
class Matcher {
public:
    Matcher(const Units& name, const Units& query)
        : name_(name), query_(query), failed_((name.size() + 1) * (query.size() + 1), false) {}

    bool AnyStart() {
        for (size_t start = 0; start < name_.size(); ++start)
            if (From(start, 0))
                return true;
        return false;
    }

private:
    bool From(size_t n, size_t q) {
        if (q == query_.size())
            return true;
        if (n == name_.size())
            return false;
        size_t slot = n * (query_.size() + 1) + q;
        if (failed_[slot])
            return false;
        bool found = (name_[n] == query_[q] && From(n + 1, q + 1)) ||
                     (IsKatakana(name_[n]) || name_[n] == kLongVowel ? ByRomaji(n, q) : false);
        if (!found)
            failed_[slot] = true;
        return found;
    }

    bool ByRomaji(size_t n, size_t q) {
        unsigned typed = query_[q];
        if (!IsRomajiLetter(typed))
            return false;
        if (name_[n] == kLongVowel)
            return (IsVowel(typed) || typed == '-') && From(n + 1, q + 1);
        bool found = false;
        ForEachSpelling(name_, n, [&](std::string_view spelling, size_t taken) {
            if (found)
                return;
            size_t same = 0;
            while (same < spelling.size() && q + same < query_.size() &&
                   query_[q + same] == static_cast<unsigned char>(spelling[same]))
                ++same;
            if (same == spelling.size())
                found = From(n + taken, q + same);
            else if (q + same == query_.size())
                found = true; // the query ends inside this kana's spelling
        });
        if (!found && name_[n] == kSmallTsu)
            found = DoubledConsonant(n, q);
        return found;
    }

    // ッ written as the next kana's first consonant doubled ("mappu"), or
    // as 't' before "ch" ("matcha").
    bool DoubledConsonant(size_t n, size_t q) {
        unsigned typed = query_[q];
        if (IsVowel(typed) || typed == 'n' || typed < 'a' || typed > 'z' || n + 1 >= name_.size())
            return false;
        bool doubles = false;
        ForEachSpelling(name_, n + 1, [&](std::string_view spelling, size_t) {
            if (spelling[0] == static_cast<char>(typed) ||
                (typed == 't' && spelling.starts_with("ch")))
                doubles = true;
        });
        return doubles && From(n + 1, q + 1);
    }

    const Units& name_;
    const Units& query_;
    std::vector<bool> failed_;
};

bool UnitsMatch(const Units& text, const Units& query) {
    return !query.empty() && Matcher(text, query).AnyStart();
}

struct Hit {
    int index;
    bool inName;
    size_t nameLength;
};

} // namespace

bool IsEmptyQuery(std::string_view query) {
    return FoldQuery(query).empty();
}

bool TextMatches(std::string_view text, std::string_view query) {
    return UnitsMatch(Fold(text), FoldQuery(query));
}

std::vector<int> FindEntries(std::span<const LaunchEntry> table, std::string_view query) {
    Units folded = FoldQuery(query);
    std::vector<Hit> hits;
    if (folded.empty())
        return {};
    for (size_t i = 0; i < table.size(); ++i) {
        const LaunchEntry& entry = table[i];
        if (entry.kind == KIND_GROUP || entry.parent == kParentEmptySlot)
            continue;
        Units name = Fold(std::string_view(entry.name, strnlen(entry.name, kNameSize)));
        bool inName = UnitsMatch(name, folded);
        if (inName ||
            UnitsMatch(Fold(std::string_view(entry.path, strnlen(entry.path, kPathSize))), folded))
            hits.push_back({static_cast<int>(i), inName, name.size()});
    }
    std::stable_sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) {
        if (a.inName != b.inName)
            return a.inName;
        return a.nameLength < b.nameLength;
    });
    std::vector<int> indexes;
    for (const Hit& hit : hits)
        indexes.push_back(hit.index);
    return indexes;
}

std::vector<std::string> GroupPathOf(std::span<const LaunchEntry> table, int index) {
    std::vector<std::string> path;
    int32_t parent = table[static_cast<size_t>(index)].parent;
    // A table holds each group once; a damaged one cannot loop for ever.
    for (size_t steps = 0; parent >= 0 && steps < table.size(); ++steps) {
        auto group = std::find_if(table.begin(), table.end(), [&](const LaunchEntry& entry) {
            return entry.kind == KIND_GROUP && entry.id == parent;
        });
        if (group == table.end())
            break;
        path.insert(path.begin(), std::string(group->name, strnlen(group->name, kNameSize)));
        parent = group->parent;
    }
    return path;
}
