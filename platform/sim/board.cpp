#include "board.h"

#include <cstring>

namespace sim {

namespace {
const int blockLength = 64;
const int echoIndex = 63;
}  // namespace

void Board::answer(const unsigned char* command, unsigned char* response) {
    memset(response, 0, blockLength);
    if (command[0] == 0x20) {
        j1Out = command[2];
        j2Out = command[4];
    }
    if (beforeAnswer) beforeAnswer(*this);
    switch (command[0]) {
    case 0x20:
        if (scriptPosition < script.size()) {
            j1In = script[scriptPosition].j1;
            j2In = script[scriptPosition].j2;
            ++scriptPosition;
        }
        response[1] = static_cast<unsigned char>(j1In);
        response[2] = static_cast<unsigned char>(j2In);
        break;
    case 0xF8:
        response[2] = static_cast<unsigned char>(config2);
        response[5] = static_cast<unsigned char>(config5);
        response[6] = static_cast<unsigned char>(config6);
        break;
    case 0xF9:
        config2 = command[2];
        config5 = command[5];
        config6 = command[6];
        break;
    default:
        break;
    }
    response[echoIndex] = command[echoIndex];
}

}  // namespace sim
