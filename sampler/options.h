// The sampler's command line: "/t<ms>" sets the pause after each reading,
// "/c<n>" the number of readings; anything else is ignored.
#pragma once

struct SamplerOptions {
    int interval = 0;  // milliseconds
    int count = 0;
};

// Examines argv[1] to argv[argc - 1]; the last of a repeated option counts.
SamplerOptions parseOptions(int argc, const wchar_t* const* argv);

// Decimal conversion that never fails: leading white space, one optional
// sign, then ASCII digits up to the first other character; 0 without digits;
// clamped to the 32-bit range on every platform.
int toInt32(const wchar_t* text);
