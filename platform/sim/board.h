// A model of the I/O board's firmware, shared by the simulated bus and by
// the virtual board on Linux's uhid.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace sim {

// The I/O board's firmware as the host sees it: it latches the output
// values of each port exchange, answers with its input values, keeps three
// configuration bytes, and echoes the command's last byte in its answer.
struct Board {
    // What the inputs read. Each port exchange takes the next entry of
    // script, if any is left, into j1In/j2In before answering.
    int j1In = 0xFF;
    int j2In = 0xFF;
    struct Inputs {
        int j1, j2;
    };
    std::vector<Inputs> script;
    // Called before each answer, once the outputs are latched: derives the
    // inputs from the outputs or from the clock.
    std::function<void(Board&)> beforeAnswer;

    // Latched outputs; 0 until the first port exchange.
    int j1Out = 0;
    int j2Out = 0;

    // Configuration bytes 2, 5 and 6 of the blocks; initially 0x00.
    int config2 = 0, config5 = 0, config6 = 0;

    size_t scriptPosition = 0;

    // Answers one 64-byte command block with one 64-byte response block.
    void answer(const unsigned char* command, unsigned char* response);
};

}  // namespace sim
