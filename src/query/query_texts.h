// Every text of the query engine that the user can see (GBK literals).
#pragma once

#include <string_view>

namespace korvel::query::texts {

// The query button's caption is also the run state.
inline constexpr std::string_view kStartQuery = "开始查询";
inline constexpr std::string_view kStopQuery = "停止查询";

inline constexpr std::string_view kQuerying = "正在为您查询：";  // + company + number
inline constexpr std::string_view kQueryFinished = "查询完毕";
inline constexpr std::string_view kQueryStopped = "已停止查询";

// Shown under a number whose reply holds no route entry.
inline constexpr std::string_view kWrongNumber = "单号错误";

}  // namespace korvel::query::texts
