// Entry of the programs' simulated build: the bench, then the program.
#include "sim.h"
#include "wmain_bridge.h"

int main(int argc, char** argv) {
    sim::setUpBench();
    return callWmain(argc, argv);
}
