// The report lengths that Windows gives in HIDP_CAPS, computed from a HID
// report descriptor: per kind (input, output, feature) the longest report in
// whole bytes, plus one byte for the report ID, whether or not the device
// numbers its reports; 0 when there is no report of that kind.
#pragma once

#include <cstddef>
#include <cstdint>

struct ReportLayout {
    unsigned inputLength = 0;
    unsigned outputLength = 0;
    unsigned featureLength = 0;
    bool numbered = false;  // the descriptor declares report IDs
    uint16_t usagePage = 0;  // of the first top-level collection
    uint16_t usage = 0;
};

// False for a descriptor that is malformed or truncated.
bool parseReportDescriptor(const uint8_t* descriptor, size_t size, ReportLayout* layout);
