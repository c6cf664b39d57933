// "导出表格": the whole list as a table for a spreadsheet, one row per number
// in tree order with its last known outcome. The window writes it as UTF-8
// with a byte-order mark, which every spreadsheet reads right on any Windows
// language; the rules here are the same in GBK.
//
// Fields are quoted as RFC 4180 says (a field holding a quote, a comma, a CR
// or an LF is put in quotes, and its quotes are doubled). Nothing the user
// typed or the service sent is ever taken for a formula, and every number
// shows as typed: the 单号 cell is the program's own text constant ="…", so
// long digit strings keep every digit and leading zero; any other cell that
// starts with = + - @, a tab or a CR gets a leading '.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "tracking/outcome_store.h"
#include "tracking/tree_model.h"

namespace korvel::tracking {

// One field as it goes into the file (GBK).
std::string tableCell(std::string_view text);
std::string numberCell(std::string_view number);

// Appends a GBK text of the list to the table in the encoding the table is
// written in. The bytes the table adds itself (quotes, commas, line ends)
// are ASCII, the same in that encoding.
using TextEncoder = std::function<void(std::string& out, std::string_view gbk)>;

// The header row, then one row per number: 快递公司, 单号, 状态, 最新时间,
// 最新记录, 查询时间 ("尚未查询" and empty cells for a number never asked).
// Every row ends with CR LF. askedText gives the 查询时间 of a query time; the
// text it gives must last until the table is made. Without an encoder the
// table is GBK.
std::string outcomeTable(const TreeModel& tree, const OutcomeStore& store,
                         const std::function<std::string_view(Seconds)>& askedText,
                         const TextEncoder& encode = nullptr);

}  // namespace korvel::tracking
