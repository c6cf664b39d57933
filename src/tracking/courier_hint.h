// A gentle hint for numbers typed under the wrong company: a few number
// formats belong to one courier beyond doubt, each with its check, and such a
// number's tooltip names that courier. Nothing is ever moved.
#pragma once

#include <string>
#include <string_view>

namespace korvel::tracking {

// The catalogue name of the courier whose format the number has beyond
// doubt, or an empty view. Letters may be typed in either case.
//   E? + 8 digits + UPU S10 check digit + CN    EMS快递
//   1Z + 15 letters or digits + UPS check digit  UPS
//   SF + 12 or 13 digits                         顺丰快递
//   YT + 13 digits                               圆通快递
//   DPK + 12 digits                              德邦物流
std::string_view likelyCourier(std::string_view number);

// "此单号像是 EMS快递 的单号" when the number looks like another courier's
// than companyName; empty otherwise.
std::string courierHint(std::string_view number, std::string_view companyName);

// The check digits, for numbers of the right shape (digits only, resp. the
// 15 characters between "1Z" and the check digit); -1 for anything else.
int s10CheckDigit(std::string_view eightDigits);
int upsCheckDigit(std::string_view fifteen);

}  // namespace korvel::tracking
