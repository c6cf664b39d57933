#include "skin/builtin_pictures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace {

using Bytes = std::span<const std::uint8_t>;

enum class Format { kPng, kJpeg, kGif };

struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

unsigned be16(Bytes b, size_t at) { return b[at] << 8 | b[at + 1]; }
unsigned le16(Bytes b, size_t at) { return b[at] | b[at + 1] << 8; }
unsigned be32(Bytes b, size_t at) { return be16(b, at) << 16 | be16(b, at + 2); }

bool startsWith(Bytes b, std::initializer_list<std::uint8_t> prefix) {
    return b.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), b.begin());
}

// PNG: the signature, then IHDR with width and height; colour type 6 = RGBA.
std::optional<Size> pngSize(Bytes b, int* colourType) {
    if (!startsWith(b, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}) || b.size() < 33) {
        return std::nullopt;
    }
    if (be32(b, 8) != 13 || !std::equal(b.begin() + 12, b.begin() + 16, "IHDR")) {
        return std::nullopt;
    }
    *colourType = b[25];
    return Size{int(be32(b, 16)), int(be32(b, 20))};
}

// JPEG: walk the marker segments up to the baseline frame header (SOF0).
std::optional<Size> jpegSize(Bytes b, int* components) {
    if (!startsWith(b, {0xFF, 0xD8})) return std::nullopt;
    size_t at = 2;
    while (at + 4 <= b.size() && b[at] == 0xFF) {
        const unsigned marker = b[at + 1];
        const unsigned length = be16(b, at + 2);
        if (marker == 0xC0 && at + 10 <= b.size()) {
            *components = b[at + 9];
            return Size{int(be16(b, at + 7)), int(be16(b, at + 5))};
        }
        if (marker == 0xDA || (marker >= 0xC1 && marker <= 0xCF && marker != 0xC4 &&
                               marker != 0xC8 && marker != 0xCC)) {
            return std::nullopt;  // image data, or a frame kind other than baseline
        }
        at += 2 + length;
    }
    return std::nullopt;
}

struct GifFacts {
    Size size;
    int frames = 0;
    std::optional<unsigned> loops;  // NETSCAPE2.0 repeat count, 0 = forever
    std::vector<unsigned> delays;   // hundredths of a second, one per frame
    bool trailer = false;
};

size_t skipSubBlocks(Bytes b, size_t at) {
    while (at < b.size() && b[at] != 0) at += b[at] + 1;
    return at + 1;
}

std::optional<GifFacts> gifFacts(Bytes b) {
    if (b.size() < 13 || !startsWith(b, {'G', 'I', 'F', '8', '9', 'a'})) return std::nullopt;
    GifFacts facts;
    facts.size = {int(le16(b, 6)), int(le16(b, 8))};
    size_t at = 13;
    if (b[10] & 0x80) at += 3u * (2u << (b[10] & 7));
    unsigned delay = 0;
    while (at < b.size()) {
        if (b[at] == 0x3B) {
            facts.trailer = true;
            break;
        }
        if (b[at] == 0x21 && at + 2 < b.size()) {
            const std::string netscape = "NETSCAPE2.0";
            if (b[at + 1] == 0xF9 && at + 6 <= b.size()) delay = le16(b, at + 4);
            if (b[at + 1] == 0xFF && at + 18 <= b.size() &&
                std::equal(netscape.begin(), netscape.end(), b.begin() + at + 3)) {
                facts.loops = le16(b, at + 16);
            }
            at = skipSubBlocks(b, at + 2);
        } else if (b[at] == 0x2C && at + 10 < b.size()) {
            ++facts.frames;
            facts.delays.push_back(delay);
            delay = 0;
            const unsigned local = b[at + 9];
            at += 10;
            if (local & 0x80) at += 3u * (2u << (local & 7));
            at = skipSubBlocks(b, at + 1);
        } else {
            return std::nullopt;
        }
    }
    return facts;
}

std::vector<std::uint8_t> readFile(const std::string& name) {
    std::ifstream in(std::string(KORVEL_SOURCE_DIR) + "/assets/pictures/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Picture {
    const char* file;
    Bytes (*bytes)();
    Format format;
    Size size;
};

const Picture kPictures[] = {
    {"caption_sprite.png", korvel::pictures::captionSprite, Format::kPng, {729, 20}},
    {"message_icons.png", korvel::pictures::messageIcons, Format::kPng, {200, 40}},
    {"main_background.jpg", korvel::pictures::mainBackground, Format::kJpeg, {550, 825}},
    {"tab_home.png", korvel::pictures::tabHomeIcon, Format::kPng, {54, 54}},
    {"tab_query.png", korvel::pictures::tabQueryIcon, Format::kPng, {55, 55}},
    {"tab_outlets.png", korvel::pictures::tabOutletsIcon, Format::kPng, {54, 54}},
    {"tile_1.png", korvel::pictures::tileIcon1, Format::kPng, {47, 50}},
    {"tile_2.jpg", korvel::pictures::tileIcon2, Format::kJpeg, {50, 50}},
    {"tile_3.png", korvel::pictures::tileIcon3, Format::kPng, {50, 38}},
    {"tile_4.jpg", korvel::pictures::tileIcon4, Format::kJpeg, {50, 48}},
    {"home_1.png", korvel::pictures::homePicture1, Format::kPng, {158, 92}},
    {"home_2.jpg", korvel::pictures::homePicture2, Format::kJpeg, {550, 456}},
    {"home_3.jpg", korvel::pictures::homePicture3, Format::kJpeg, {302, 302}},
    {"parcel_van.gif", korvel::pictures::parcelAnimation, Format::kGif, {87, 87}},
    {"progress_thumb.png", korvel::pictures::progressThumb, Format::kPng, {18, 18}},
    {"progress_thumb_2.png", korvel::pictures::progressThumb2, Format::kPng, {18, 18}},
};

TEST(BuiltinPictures, EachHasItsFormatAndSize) {
    for (const Picture& p : kPictures) {
        SCOPED_TRACE(p.file);
        const Bytes b = p.bytes();
        ASSERT_FALSE(b.empty());
        int detail = -1;
        std::optional<Size> size;
        switch (p.format) {
            case Format::kPng:
                size = pngSize(b, &detail);
                EXPECT_EQ(detail, 6) << "expected an RGBA PNG";
                break;
            case Format::kJpeg:
                size = jpegSize(b, &detail);
                EXPECT_EQ(detail, 3) << "expected a baseline colour JPEG";
                break;
            case Format::kGif:
                if (auto facts = gifFacts(b)) size = facts->size;
                break;
        }
        ASSERT_TRUE(size.has_value()) << "header not recognised";
        EXPECT_EQ(size->width, p.size.width);
        EXPECT_EQ(size->height, p.size.height);
    }
}

TEST(BuiltinPictures, BytesAreTheCommittedFiles) {
    for (const Picture& p : kPictures) {
        SCOPED_TRACE(p.file);
        const std::vector<std::uint8_t> file = readFile(p.file);
        ASSERT_FALSE(file.empty());
        const Bytes b = p.bytes();
        EXPECT_TRUE(std::equal(b.begin(), b.end(), file.begin(), file.end()));
        // The same span every call: callers may keep it.
        EXPECT_EQ(p.bytes().data(), b.data());
    }
}

TEST(BuiltinPictures, AnimationLoopsForeverOverSeveralFrames) {
    const std::optional<GifFacts> facts = gifFacts(korvel::pictures::parcelAnimation());
    ASSERT_TRUE(facts.has_value());
    EXPECT_TRUE(facts->trailer);
    EXPECT_GE(facts->frames, 4);
    ASSERT_TRUE(facts->loops.has_value()) << "no NETSCAPE2.0 loop extension";
    EXPECT_EQ(*facts->loops, 0u);
    ASSERT_EQ(facts->delays.size(), size_t(facts->frames));
    for (unsigned delay : facts->delays) {
        EXPECT_GT(delay, 0u);  // a zero delay would be replaced by the player
        EXPECT_LE(delay, 100u);
    }
}

TEST(BuiltinPictures, NoTwoPicturesShareBytes) {
    for (size_t i = 0; i < std::size(kPictures); ++i) {
        for (size_t j = i + 1; j < std::size(kPictures); ++j) {
            const Bytes a = kPictures[i].bytes(), b = kPictures[j].bytes();
            EXPECT_FALSE(std::equal(a.begin(), a.end(), b.begin(), b.end()))
                << kPictures[i].file << " and " << kPictures[j].file;
        }
    }
}

}  // namespace
