// Template encode/decode must stay linear: 100k numbers may cost at most
// 12x what 10k cost. Prints one "name: ratio (goal ...)" line per ratio.
#include <cstdio>
#include <string>
#include <vector>

#include "cpu_clock.h"
#include "tracking/courier_catalogue.h"
#include "tracking/template_file.h"

using namespace korvel::tracking;
using korvel::bench::bestCpuSeconds;

namespace {

std::vector<TreeItem> workspaceWith(int numbers) {
    std::vector<TreeItem> items;
    for (const auto& name : CourierCatalogue::displayNames()) items.push_back({name, {}, {}});
    for (int i = 0; i < numbers; ++i)
        items[i % items.size()].children.push_back(
            {"YT" + std::to_string(9000000000LL + i), {}, {}});
    return items;
}

}  // namespace

int main() {
    korvel::bench::holdHeap();
    double encode[3], decode[3];
    const int sizes[3] = {1000, 10000, 100000};
    size_t sink = 0;
    for (int k = 0; k < 3; ++k) {
        const auto items = workspaceWith(sizes[k]);
        const auto file = TemplateFile::encode(items);
        encode[k] = bestCpuSeconds([&] { sink += TemplateFile::encode(items).bytes.size(); });
        decode[k] = bestCpuSeconds([&] { sink += TemplateFile::decode(file.bytes)->size(); });
        std::printf("template %6d numbers: encode %.2f ms, decode %.2f ms (%zu bytes)\n", sizes[k],
                    encode[k] * 1e3, decode[k] * 1e3, file.bytes.size());
    }
    std::printf("template_encode_100k_over_10k: %.2f (goal <= 12)\n", encode[2] / encode[1]);
    std::printf("template_decode_100k_over_10k: %.2f (goal <= 12)\n", decode[2] / decode[1]);
    std::printf("template_encode_10k_over_1k: %.2f (goal <= 12)\n", encode[1] / encode[0]);
    std::printf("template_decode_10k_over_1k: %.2f (goal <= 12)\n", decode[1] / decode[0]);
    return sink == 0;
}
