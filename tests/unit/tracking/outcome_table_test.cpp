#include "tracking/outcome_table.h"

#include <gtest/gtest.h>

#include <map>

#include "tracking/memory_tree.h"

using namespace korvel::tracking;

namespace {

TEST(OutcomeTable, CellsAreQuotedAndNeverOpenAFormula) {
    const struct {
        std::string text, cell;
    } cases[] = {
        {"", ""},
        {"顺丰快递", "顺丰快递"},
        {"快件已到达【北京】", "快件已到达【北京】"},
        {"2026-12-07 18:00:00", "2026-12-07 18:00:00"},
        {"=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\""},
        {"+8613800000000", "'+8613800000000"},
        {"-1", "'-1"},
        {"@SUM(A1:A9)", "'@SUM(A1:A9)"},
        {"\t=1", "'\t=1"},
        {"\r=1", "\"'\r=1\""},
        {"a=1", "a=1"},
        {" =1", " =1"},
        {"签收人：张三,李四", "\"签收人：张三,李四\""},
        {"说\"好\"", "\"说\"\"好\"\"\""},
        {"两行\r\n记录", "\"两行\r\n记录\""},
        {"\n", "\"\n\""},
    };
    for (const auto& c : cases) EXPECT_EQ(tableCell(c.text), c.cell) << c.text;

    // The number cell is the program's own constant: any digit string stays
    // whole, and a quote inside it is doubled twice (once in the constant,
    // once in the field).
    EXPECT_EQ(numberCell("773012345678901234"), "\"=\"\"773012345678901234\"\"\"");
    EXPECT_EQ(numberCell("0012"), "\"=\"\"0012\"\"\"");
    EXPECT_EQ(numberCell("=1+1"), "\"=\"\"=1+1\"\"\"");
    EXPECT_EQ(numberCell("A\"B"), "\"=\"\"A\"\"\"\"B\"\"\"");
    EXPECT_EQ(numberCell(""), "\"=\"\"\"\"\"");
}

TEST(OutcomeTable, OneRowPerNumberInTreeOrderWithItsLastOutcome) {
    MemoryTree tree;
    tree.addItems(-1, {"申通快递", "顺丰快递", "EMS快递"});
    tree.addItems(1, {"SF2", "SF1", "SF2"});
    tree.addItems(0, {"ST9"});
    OutcomeStore store;
    store.merge({"顺丰快递",
                 "SF2",
                 {{ParcelState::Delivered, "2026-12-07 18:00:00", "已签收,本人"}, 100, 100}});
    store.merge({"顺丰快递", "SF1", {{ParcelState::WrongNumber, "", ""}, 200, 200}});
    store.merge({"EMS快递", "SF1", {{ParcelState::Problem, "t", "拒收"}, 300, 300}});
    std::map<Seconds, std::string> asked;
    const std::string table = outcomeTable(tree, store, [&](Seconds at) -> std::string_view {
        return asked[at] = "at " + std::to_string(at);
    });
    EXPECT_EQ(table,
              "快递公司,单号,状态,最新时间,最新记录,查询时间\r\n"
              "申通快递,\"=\"\"ST9\"\"\",尚未查询,,,\r\n"
              "顺丰快递,\"=\"\"SF2\"\"\",已签收,2026-12-07 18:00:00,\"已签收,本人\",at 100\r\n"
              "顺丰快递,\"=\"\"SF1\"\"\",单号错误,,,at 200\r\n"
              "顺丰快递,\"=\"\"SF2\"\"\",已签收,2026-12-07 18:00:00,\"已签收,本人\",at 100\r\n");
    MemoryTree empty;
    EXPECT_EQ(outcomeTable(empty, store, nullptr),
              "快递公司,单号,状态,最新时间,最新记录,查询时间\r\n");
}

}  // namespace
