#include "descriptor.h"

#include <map>
#include <vector>

namespace {

// Item types and tags of the short items that matter for report lengths.
enum Type { mainItem = 0, globalItem = 1, localItem = 2 };
enum MainTag { input = 0x8, output = 0x9, collection = 0xA, feature = 0xB, endCollection = 0xC };
enum GlobalTag { usagePageTag = 0x0, reportSize = 0x7, reportId = 0x8, reportCount = 0x9, push = 0xA, pop = 0xB };
enum LocalTag { usageTag = 0x0 };

const uint8_t longItemPrefix = 0xFE;
const uint64_t maxReportBits = 0xFFFEu * 8;  // the byte length must fit a USHORT with the ID byte

struct Globals {
    uint32_t usagePage = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint32_t reportId = 0;
};

unsigned bytesWithId(const std::map<uint32_t, uint64_t>& bits) {
    uint64_t longest = 0;
    for (const auto& report : bits) longest = report.second > longest ? report.second : longest;
    return bits.empty() ? 0 : static_cast<unsigned>((longest + 7) / 8 + 1);
}

}  // namespace

bool parseReportDescriptor(const uint8_t* descriptor, size_t size, ReportLayout* layout) {
    Globals globals;
    std::vector<Globals> stack;
    std::map<uint32_t, uint64_t> bits[3];  // per kind: report ID -> bits
    uint32_t usage = 0;
    bool usageSeen = false;
    int depth = 0;
    bool topLevelSeen = false;
    bool numbered = false;
    bool unnumberedReport = false;
    ReportLayout result;

    for (size_t at = 0; at < size;) {
        uint8_t prefix = descriptor[at];
        if (prefix == longItemPrefix) {
            // Long items carry no report layout; only their length matters.
            if (at + 3 > size || at + 3 + descriptor[at + 1] > size) return false;
            at += 3 + descriptor[at + 1];
            continue;
        }
        size_t dataSize = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (at + 1 + dataSize > size) return false;
        uint32_t data = 0;
        for (size_t i = 0; i < dataSize; ++i) data |= static_cast<uint32_t>(descriptor[at + 1 + i]) << (8 * i);
        at += 1 + dataSize;

        int type = (prefix >> 2) & 3;
        int tag = prefix >> 4;
        if (type == globalItem) {
            switch (tag) {
            case usagePageTag: globals.usagePage = data; break;
            case reportSize: globals.reportSize = data; break;
            case reportCount: globals.reportCount = data; break;
            case reportId:
                if (data == 0 || data > 0xFF) return false;
                globals.reportId = data;
                numbered = true;
                break;
            case push: stack.push_back(globals); break;
            case pop:
                if (stack.empty()) return false;
                globals = stack.back();
                stack.pop_back();
                break;
            default: break;
            }
        } else if (type == localItem) {
            if (tag == usageTag && !usageSeen) {
                usage = data;
                usageSeen = true;
            }
        } else if (type == mainItem) {
            switch (tag) {
            case input:
            case output:
            case feature: {
                int kind = tag == input ? 0 : tag == output ? 1 : 2;
                uint64_t& total = bits[kind][globals.reportId];
                total += static_cast<uint64_t>(globals.reportSize) * globals.reportCount;
                if (total > maxReportBits) return false;
                if (globals.reportId == 0) unnumberedReport = true;
                break;
            }
            case collection:
                if (depth == 0 && !topLevelSeen) {
                    topLevelSeen = true;
                    // A 4-byte usage carries its own usage page in the upper half.
                    result.usagePage = static_cast<uint16_t>(usage > 0xFFFF ? usage >> 16 : globals.usagePage);
                    result.usage = static_cast<uint16_t>(usage);
                }
                ++depth;
                break;
            case endCollection:
                if (depth == 0) return false;
                --depth;
                break;
            default: return false;  // a main item that HID does not define
            }
            usageSeen = false;  // local items end with each main item
        }
    }
    // Every report sits in a closed collection; IDs are all or nothing.
    if (!topLevelSeen || depth != 0 || (numbered && unnumberedReport)) return false;

    result.inputLength = bytesWithId(bits[0]);
    result.outputLength = bytesWithId(bits[1]);
    result.featureLength = bytesWithId(bits[2]);
    result.numbered = numbered;
    *layout = result;
    return true;
}
