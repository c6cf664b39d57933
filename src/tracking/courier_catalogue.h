// The fixed list of couriers the program can query: display name (GBK) and
// the service code the tracking service expects. Its order is the order of
// the tree's company entries, of the courier box and of every template file.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::tracking {

struct CourierRow {
    std::string_view name;  // GBK
    std::string_view code;  // lower-case ASCII
};

inline constexpr int kCourierCount = 79;

class CourierCatalogue {
  public:
    // The table in its binding order.
    static const std::array<CourierRow, kCourierCount>& rows();

    // All display names joined by CR LF, no trailing CR LF.
    static const std::string& displayNamesText();
    // The same names as an array, split from displayNamesText().
    static const std::vector<std::string>& displayNames();

    // Compares displayName with every row, byte for byte; a match becomes the
    // current service code, no match keeps the previous one. Returns the
    // current code afterwards (empty until the first match).
    const std::string& serviceCodeFor(std::string_view displayName);
    const std::string& currentServiceCode() const { return currentCode_; }

  private:
    std::string currentCode_;
};

}  // namespace korvel::tracking
