// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/name_match.h"

#include <array>
#include <optional>
#include <vector>

namespace kvr {

namespace {

// Windows-1252 in 0x80..0x9F; the rest of the upper half is Latin-1. The five
// bytes the code page leaves undefined stay the C1 controls of Latin-1.
constexpr std::array<char32_t, 32> kCp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Runs of code points that fold to the same small letters without accents.
struct FoldRun {
    char32_t first, last;
    const char* folded;
};

constexpr FoldRun kLatinRuns[] = {
    // Latin-1
    {0xC0, 0xC5, "a"},
    {0xC6, 0xC6, "ae"},
    {0xC7, 0xC7, "c"},
    {0xC8, 0xCB, "e"},
    {0xCC, 0xCF, "i"},
    {0xD0, 0xD0, "d"},
    {0xD1, 0xD1, "n"},
    {0xD2, 0xD6, "o"},
    {0xD8, 0xD8, "o"},
    {0xD9, 0xDC, "u"},
    {0xDD, 0xDD, "y"},
    {0xDE, 0xDE, "th"},
    {0xDF, 0xDF, "ss"},
    {0xE0, 0xE5, "a"},
    {0xE6, 0xE6, "ae"},
    {0xE7, 0xE7, "c"},
    {0xE8, 0xEB, "e"},
    {0xEC, 0xEF, "i"},
    {0xF0, 0xF0, "d"},
    {0xF1, 0xF1, "n"},
    {0xF2, 0xF6, "o"},
    {0xF8, 0xF8, "o"},
    {0xF9, 0xFC, "u"},
    {0xFD, 0xFD, "y"},
    {0xFE, 0xFE, "th"},
    {0xFF, 0xFF, "y"},
    // Latin Extended-A
    {0x100, 0x105, "a"},
    {0x106, 0x10D, "c"},
    {0x10E, 0x111, "d"},
    {0x112, 0x11B, "e"},
    {0x11C, 0x123, "g"},
    {0x124, 0x127, "h"},
    {0x128, 0x131, "i"},
    {0x132, 0x133, "ij"},
    {0x134, 0x135, "j"},
    {0x136, 0x138, "k"},
    {0x139, 0x142, "l"},
    {0x143, 0x14B, "n"},
    {0x14C, 0x151, "o"},
    {0x152, 0x153, "oe"},
    {0x154, 0x159, "r"},
    {0x15A, 0x161, "s"},
    {0x162, 0x167, "t"},
    {0x168, 0x173, "u"},
    {0x174, 0x175, "w"},
    {0x176, 0x178, "y"},
    {0x179, 0x17E, "z"},
    {0x17F, 0x17F, "s"},
    // The common letters of Latin Extended-B
    {0x180, 0x180, "b"},
    {0x192, 0x192, "f"},
    {0x1CD, 0x1CE, "a"},
    {0x1CF, 0x1D0, "i"},
    {0x1D1, 0x1D2, "o"},
    {0x1D3, 0x1DC, "u"},
    {0x218, 0x219, "s"},
    {0x21A, 0x21B, "t"},
    // Vietnamese letters of Latin Extended Additional
    {0x1EA0, 0x1EB7, "a"},
    {0x1EB8, 0x1EC7, "e"},
    {0x1EC8, 0x1ECB, "i"},
    {0x1ECC, 0x1EE3, "o"},
    {0x1EE4, 0x1EF1, "u"},
    {0x1EF2, 0x1EF9, "y"},
    // Curly apostrophes, as in O’Neil
    {0x2018, 0x2019, "'"},
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendFolded(std::string& out, char32_t c) {
    if (c >= 'A' && c <= 'Z') {
        out += static_cast<char>(c - 'A' + 'a');
        return;
    }
    if (c < 0x80) {
        out += static_cast<char>(c);
        return;
    }
    if (c >= 0x300 && c <= 0x36F)
        return; // a combining accent
    for (const FoldRun& run : kLatinRuns) {
        if (c >= run.first && c <= run.last) {
            out += run.folded;
            return;
        }
    }
    if ((c >= 0x391 && c <= 0x3A9 && c != 0x3A2) || (c >= 0x410 && c <= 0x42F))
        c += 0x20; // Greek and Cyrillic capitals
    else if (c >= 0x400 && c <= 0x40F)
        c += 0x50;
    AppendUtf8(out, c);
}

// The code points of valid UTF-8 (no overlong forms, no surrogates), or none.
std::optional<std::vector<char32_t>> DecodeUtf8(std::string_view text) {
    std::vector<char32_t> points;
    points.reserve(text.size());
    size_t i = 0;
    auto continuation = [&text](size_t at, unsigned low = 0x80, unsigned high = 0xBF) {
        if (at >= text.size())
            return false;
        const auto byte = static_cast<unsigned char>(text[at]);
        return byte >= low && byte <= high;
    };
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        char32_t c = 0;
        size_t length = 0;
        if (lead < 0x80) {
            c = lead;
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF && continuation(i + 1)) {
            c = lead & 0x1F;
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF &&
                   continuation(i + 1, lead == 0xE0 ? 0xA0 : 0x80, lead == 0xED ? 0x9F : 0xBF) &&
                   continuation(i + 2)) {
            c = lead & 0x0F;
            length = 3;
        } else if (lead >= 0xF0 && lead <= 0xF4 &&
                   continuation(i + 1, lead == 0xF0 ? 0x90 : 0x80, lead == 0xF4 ? 0x8F : 0xBF) &&
                   continuation(i + 2) && continuation(i + 3)) {
            c = lead & 0x07;
            length = 4;
        } else {
            return std::nullopt;
        }
        for (size_t k = 1; k < length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        points.push_back(c);
        i += length;
    }
    return points;
}

} // namespace

std::string FoldedName(std::string_view text) {
    std::string folded;
    folded.reserve(text.size());
    if (auto points = DecodeUtf8(text)) {
        for (char32_t c : *points)
            AppendFolded(folded, c);
        return folded;
    }
    for (char byte : text) {
        const auto c = static_cast<unsigned char>(byte);
        AppendFolded(folded, c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c);
    }
    return folded;
}

bool IsUtf8(std::string_view text) {
    return DecodeUtf8(text).has_value();
}

std::string Utf8FromWindows1252(std::string_view text) {
    std::string utf8;
    utf8.reserve(text.size() + text.size() / 4);
    for (char byte : text) {
        const auto c = static_cast<unsigned char>(byte);
        AppendUtf8(utf8, c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c);
    }
    return utf8;
}

bool NameContains(std::string_view name, std::string_view text) {
    if (name.find(text) != std::string_view::npos)
        return true;
    return FoldedName(name).find(FoldedName(text)) != std::string::npos;
}

} // namespace kvr
