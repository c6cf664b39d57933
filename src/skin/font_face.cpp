#include "skin/font_face.h"

#include <algorithm>
#include <array>

namespace korvel::skin {

std::span<const std::string_view> PreferredChineseFaces() {
    static constexpr std::array<std::string_view, 14> kFaces = {"宋体",
                                                                "SimSun",
                                                                "新宋体",
                                                                "NSimSun",
                                                                "微软雅黑",
                                                                "Microsoft YaHei",
                                                                "黑体",
                                                                "SimHei",
                                                                "文泉驿微米黑",
                                                                "WenQuanYi Micro Hei",
                                                                "文泉驿正黑",
                                                                "WenQuanYi Zen Hei",
                                                                "Noto Sans CJK SC",
                                                                "Droid Sans Fallback"};
    return kFaces;
}

std::string ChooseFontFace(std::string_view wanted, bool wantedInstalled,
                           std::span<const std::string> chineseFaces) {
    if (wantedInstalled && !wanted.empty()) return std::string(wanted);
    for (std::string_view face : PreferredChineseFaces())
        if (std::find(chineseFaces.begin(), chineseFaces.end(), face) != chineseFaces.end())
            return std::string(face);
    // "@" faces are the same fonts turned for vertical text.
    for (const std::string& face : chineseFaces)
        if (!face.empty() && face.front() != '@') return face;
    return {};
}

}  // namespace korvel::skin
