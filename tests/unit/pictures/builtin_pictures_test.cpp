#include "skin/builtin_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

namespace {

using Bytes = std::span<const std::uint8_t>;

std::vector<std::uint8_t> readFile(const std::string& name) {
    std::ifstream in(std::string(KORVEL_SOURCE_DIR) + "/assets/pictures/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Picture {
    const char* file;
    Bytes (*bytes)();
};

const Picture kPictures[] = {
    {"caption_sprite.png", korvel::pictures::captionSprite},
    {"message_icons.png", korvel::pictures::messageIcons},
    {"main_background.jpg", korvel::pictures::mainBackground},
    {"tab_home.png", korvel::pictures::tabHomeIcon},
    {"tab_query.png", korvel::pictures::tabQueryIcon},
    {"tab_outlets.png", korvel::pictures::tabOutletsIcon},
    {"tile_1.png", korvel::pictures::tileIcon1},
    {"tile_2.jpg", korvel::pictures::tileIcon2},
    {"tile_3.png", korvel::pictures::tileIcon3},
    {"tile_4.jpg", korvel::pictures::tileIcon4},
    {"home_1.png", korvel::pictures::homePicture1},
    {"home_2.jpg", korvel::pictures::homePicture2},
    {"home_3.jpg", korvel::pictures::homePicture3},
    {"parcel_van.gif", korvel::pictures::parcelAnimation},
    {"progress_thumb.png", korvel::pictures::progressThumb},
    {"progress_thumb_2.png", korvel::pictures::progressThumb2},
};

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
