#include "wmain_bridge.h"

int main(int argc, char** argv) { return callWmain(argc, argv); }
