// The simulated build's bench: one board on the bus, in real time.
//
// J1 is wired back to itself, so its inputs read what the board drives on
// it. On J2 every input is unconnected and pulled up, reading 1, except
// bit 0: a push button to ground that the bench presses 2 s after the start,
// for 3 s, at every 10 s.
#include "sim.h"

namespace sim {

void setUpBench() {
    reset();
    bus().realTime = true;
    bus().recordTraffic = false;
    Interface& board = bus().add(L"\\\\?\\hid#vid_1352&pid_0120#sim&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    board.board.beforeAnswer = [](Board& b) {
        int64_t phase = bus().clock() % 10000;
        bool pressed = phase >= 2000 && phase < 5000;
        b.j1In = b.j1Out;
        b.j2In = pressed ? 0xFE : 0xFF;
    };
}

}  // namespace sim
