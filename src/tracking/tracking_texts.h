// Every text of the tracking data that the user can see (GBK literals).
#pragma once

#include <string_view>

namespace korvel::tracking::texts {

inline constexpr std::string_view kAddNumbersPrompt = "输入单号，多单号间用空格隔开";
inline constexpr std::string_view kChangeNumberPrompt = "输入单号";
inline constexpr std::string_view kNumberDialogTitle = "输入单号";

inline constexpr std::string_view kConfirmTitle = "询问";
inline constexpr std::string_view kConfirmDeleteCompanyNumbers = "你确定要删除该公司下全部单号么？";
inline constexpr std::string_view kConfirmDeleteAllNumbers = "你确定要删除全部单号么？";

inline constexpr std::string_view kFileCorrupt = "文件被损坏";
inline constexpr std::string_view kImportDone = "导入成功";
inline constexpr std::string_view kSaveDone = "保存成功";
// Refusing a save whose file could never be imported again: the offending
// text goes between these two parts.
inline constexpr std::string_view kSeparatorInTextBefore = "无法保存：“";
inline constexpr std::string_view kSeparatorInTextAfter =
    "”中含有字符“%-/”，这样保存的模版文件将无法导入。请先修改该单号。";
inline constexpr std::string_view kEllipsis = "…";  // ends a text shortened for a message

// A number no query has answered yet, in its tip and in the exported table.
inline constexpr std::string_view kNotQueried = "尚未查询";
// The exported table's header row, one text per column.
inline constexpr std::string_view kTableColumns[] = {"快递公司", "单号",     "状态",
                                                     "最新时间", "最新记录", "查询时间"};

}  // namespace korvel::tracking::texts
