#include "tracking/parcel_state.h"

#include <gtest/gtest.h>

#include <vector>

#include "query/tracking_query.h"

using namespace korvel::tracking;

namespace {

constexpr ParcelState kTransit = ParcelState::InTransit;
constexpr ParcelState kOut = ParcelState::OutForDelivery;
constexpr ParcelState kSigned = ParcelState::Delivered;
constexpr ParcelState kProblem = ParcelState::Problem;

// Contexts as couriers write them.
TEST(ParcelState, CourierPhrasingsSortIntoTheirStates) {
    const struct {
        const char* context;
        ParcelState want;
    } cases[] = {
        // Delivered.
        {"已签收,感谢使用顺丰,期待再次为您服务", kSigned},
        {"已签收，签收人：\\\"本人\\\"，感谢使用", kSigned},
        {"[北京市]快件已被 前台 签收", kSigned},
        {"您的快件已签收，签收人在【菜鸟驿站】领取。如有疑问请电联快递员：张三【13800000000】",
         kSigned},
        {"快件已由【丰巢智能柜】代签收，如有疑问请联系派件员", kSigned},
        {"客户 签收人: 家人 已签收 感谢使用圆通速递，期待再次为您服务", kSigned},
        {"投递并签收，签收人：他人收 门卫", kSigned},
        {"妥投", kSigned},
        {"【上海市邮政速递】已妥投，投递员：王五", kSigned},
        {"您的邮件已投递，投递员：李四，电话：13900000000", kSigned},
        {"Delivered, 签收人: FRONT DESK", kSigned},
        // Out for delivery.
        {"【杭州市】浙江杭州西湖区公司 派件员：张三 电话：13800000000 当前正在为您派件", kOut},
        {"快件正在派送途中，请您准备签收（派件人：刘六，电话：13700000000）", kOut},
        {"[深圳市]深圳福田营业部的派件员赵七正在派件", kOut},
        {"【北京市朝阳区】安排投递，预计今天18:00前送达", kOut},
        {"正在投递，投递员：孙八 13600000000", kOut},
        {"快件已到达【南京鼓楼站】，派送员：周九，请保持电话畅通，待签收", kOut},
        {"派送中", kOut},
        {"Out for delivery 派送中，预计送达time 18:00", kOut},
        // In transit.
        {"【深圳市】深圳宝安区公司 已揽收", kTransit},
        {"快件已从【广州转运中心】发出，下一站【上海转运中心】", kTransit},
        {"快件已到达【上海转运中心】", kTransit},
        {"【成都市】快件已装车，准备发往下一站", kTransit},
        {"快件在【武汉分拨中心】进行分拣", kTransit},
        {"离开【西安中转部】，发往【郑州中转部】", kTransit},
        {"已收寄", kTransit},
        {"【重庆市】航空运输中", kTransit},
        {"您的快件尚未签收，仍在途中", kTransit},
        {"In transit", kTransit},
        {"", kTransit},
        {"\\u5feb\\u4ef6\\u5df2\\u7b7e\\u6536", kTransit},  // escaped, never unescaped
        {"time", kTransit},
        // Problems, checked before everything else.
        {"客户拒签，原因：不想要了", kProblem},
        {"收件人拒收，快件已退回", kProblem},
        {"快件退回中，退回原因：地址不详", kProblem},
        {"【广州市】退件已签收，退回寄件人", kProblem},
        {"问题件：电话无人接听，请联系客服", kProblem},
        {"疑难件，派送失败，原因：地址错误", kProblem},
        {"快件派送不成功(收件人电话无人接听)，待再次派送", kProblem},
        {"派件异常，收件人联系不上", kProblem},
        {"快件滞留在【长沙营业部】，原因：节假日不派送", kProblem},
        {"留仓件：客户要求改日派送", kProblem},
        {"无法派送，地址超区", kProblem},
        {"未妥投，原因：收件人不在", kProblem},
        {"投递失败，将再次投递", kProblem},
        {"清关失败，海关扣留", kProblem},
        {"快件丢失，请联系客服理赔", kProblem},
        {"无法联系收件人，快件暂存网点", kProblem},
    };
    ASSERT_GE(std::size(cases), 40u);
    for (const auto& c : cases)
        EXPECT_EQ(classifyContext(c.context), c.want)
            << c.context << " -> " << parcelStateName(classifyContext(c.context));
}

TEST(ParcelState, KeywordsNeverMatchAcrossCharacters) {
    // 81 C7 | A9 CA | D5 A1: the bytes of 签收 (C7 A9 CA D5) straddle three
    // characters, and so do those of 派件 (C5 C9 BC FE) and 疑难 (D2 C9 C4 D1).
    EXPECT_EQ(classifyContext("\x81\xC7\xA9\xCA\xD5\xA1"), kTransit);
    EXPECT_EQ(classifyContext("\x81\xC5\xC9\xBC\xFE\xA1"), kTransit);
    EXPECT_EQ(classifyContext("\x81\xD2\xC9\xC4\xD1\xA1"), kTransit);
    // The same bytes on boundaries are found.
    EXPECT_EQ(classifyContext("\xC7\xA9\xCA\xD5"), kSigned);
    // A lone lead byte at the end neither breaks nor matches.
    EXPECT_EQ(classifyContext("\xC5\xC9\xBC"), kTransit);
}

// Reply bytes cut as the result box shows them, then judged.
ParcelOutcome outcomeOf(const std::string& reply) {
    ParcelOutcomeBuilder builder;
    for (const auto& piece : korvel::query::routePieces(reply)) {
        const auto entry = korvel::query::cutRouteEntry(piece);
        builder.add(entry.time, entry.context);
    }
    return builder.finish();
}

std::string entry(const char* time, const char* context) {
    return std::string("{\"time\":\"") + time + "\",\"context\":\"" + context + "\"}";
}

TEST(ParcelState, TheNewestEntryDecidesInEitherOrder) {
    const std::string picked = entry("2013-01-02 09:00:00", "【上海】已揽收");
    const std::string moving = entry("2013-01-02 18:00:00", "快件已到达【上海转运中心】");
    const std::string out = entry("2013-01-03 08:00:00", "【北京】派件员正在为您派件");
    const std::string done = entry("2013-01-03 15:30:00", "已签收，签收人：本人");
    const std::string newestFirst =
        "{\"data\":[" + done + "," + out + "," + moving + "," + picked + "]}";
    const std::string oldestFirst =
        "{\"data\":[" + picked + "," + moving + "," + out + "," + done + "]}";
    const ParcelOutcome want{kSigned, "2013-01-03 15:30:00", "已签收，签收人：本人"};
    EXPECT_EQ(outcomeOf(newestFirst), want);
    EXPECT_EQ(outcomeOf(oldestFirst), want);

    // Unsorted lists: the greatest time still wins.
    EXPECT_EQ(outcomeOf("[" + moving + "," + out + "," + picked + "]").state, kOut);

    // Equal newest times: the list's direction says which came last.
    const std::string sameA = entry("2013-01-03 08:00:00", "快件已到达【北京站】");
    const std::string sameB = entry("2013-01-03 08:00:00", "【北京】正在派件");
    EXPECT_EQ(outcomeOf("[" + picked + "," + sameA + "," + sameB + "]").state, kOut);
    EXPECT_EQ(outcomeOf("[" + sameB + "," + sameA + "," + picked + "]").state, kOut);
    EXPECT_EQ(outcomeOf("[" + sameA + "]").context, "快件已到达【北京站】");

    // A problem after delivery (returned later) is where the parcel stands.
    EXPECT_EQ(
        outcomeOf("[" + entry("2013-01-04 10:00:00", "收件人要求退回") + "," + done + "]").state,
        kProblem);
}

TEST(ParcelState, OddRepliesStillGiveAState) {
    // No route entry at all: the wrong-number block.
    EXPECT_EQ(outcomeOf(""), ParcelOutcome{});
    EXPECT_EQ(outcomeOf("{\"message\":\"单号不存在\",\"status\":\"0\"}").state,
              ParcelState::WrongNumber);
    EXPECT_EQ(outcomeOf("{\"message\":\"x\"}time"), ParcelOutcome{});
    EXPECT_EQ(parcelStateName(ParcelState::WrongNumber), "单号错误");

    // "time" inside a context cuts the entry in two; the piece after it has
    // an empty time and never counts as the newest.
    const std::string cut = "[" + entry("2013-01-02 09:00:00", "已揽收") + "," +
                            entry("2013-01-03 08:00:00", "派件中，预计送达time 18:00") + "]";
    const ParcelOutcome got = outcomeOf(cut);
    EXPECT_EQ(got.time, "2013-01-03 08:00:00");
    // Its context has no closing quote before the cut, so it comes out
    // empty, as in the result box, and says nothing but in transit.
    EXPECT_EQ(got.context, "");
    EXPECT_EQ(got.state, kTransit);
}

}  // namespace
