#include "skin/font_face.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using korvel::skin::ChooseFontFace;

namespace {

TEST(ChooseFontFace, WantedThenCommonUiFacesThenAnyHorizontalChineseFace) {
    struct Case {
        const char* name;
        bool wantedInstalled;
        std::vector<std::string> chinese;
        std::string expected;
    };
    const Case cases[] = {
        {"wanted installed", true, {"黑体", "宋体"}, "宋体"},
        // A Linux desktop under Wine: only the host's face, by both names.
        {"host face",
         false,
         {"@文泉驿微米黑", "WenQuanYi Micro Hei", "文泉驿微米黑"},
         "文泉驿微米黑"},
        // A common UI face wins over one enumerated earlier.
        {"ui face first", false, {"楷体", "SimHei", "微软雅黑"}, "微软雅黑"},
        {"vertical faces skipped", false, {"@Some CJK", "Some CJK"}, "Some CJK"},
        {"only vertical faces", false, {"@Some CJK"}, ""},
        {"nothing covers Chinese", false, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ChooseFontFace("宋体", c.wantedInstalled, c.chinese), c.expected);
    }
}

}  // namespace
