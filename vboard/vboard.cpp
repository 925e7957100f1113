// vboard: a virtual I/O board on Linux's uhid. It presents a USB HID device
// with the board's vendor and product IDs, one 64-byte input and one 64-byte
// output report without report IDs, and answers each command as the board
// does. It logs every change of the J1 output on standard output as
// "j1 <hex> <ms since start>".
//
//   vboard [--product 0x0121] [--j1 HEX] [--j2 HEX]
//          [--j2-low-after-exchanges N | --j2-low-after-ms MS]
//          [--wrong-echo N] [--unplug-after N] [--replug-after-ms MS]
//
// --j2-low-after-*: J2 bit 0 reads 0 from the port exchange after the Nth,
// or from MS milliseconds after the start. --wrong-echo: that many input
// reports with another echo byte before each answer. --unplug-after: the
// device is destroyed after N exchanges and, with --replug-after-ms,
// created again that much later (once); without it vboard then ends.
#include "board.h"

#include <fcntl.h>
#include <linux/uhid.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

const uint16_t vendorId = 0x1352;
const int blockLength = 64;
const int echoIndex = 63;

// Vendor-defined page; one application collection with a 64-byte input
// and a 64-byte output report, no report IDs.
const unsigned char reportDescriptor[] = {
    0x06, 0x00, 0xFF,  // usage page (vendor defined)
    0x09, 0x01,        // usage 1
    0xA1, 0x01,        // collection (application)
    0x15, 0x00,        //   logical minimum 0
    0x26, 0xFF, 0x00,  //   logical maximum 255
    0x75, 0x08,        //   report size 8
    0x95, 0x40,        //   report count 64
    0x09, 0x01,        //   usage 1
    0x81, 0x02,        //   input (data, variable, absolute)
    0x09, 0x01,        //   usage 1
    0x91, 0x02,        //   output (data, variable, absolute)
    0xC0,              // end collection
};

struct Options {
    uint16_t product = 0x0120;
    int j1 = 0xFF, j2 = 0xFF;
    long j2LowAfterExchanges = -1, j2LowAfterMs = -1;
    int wrongEcho = 0;
    long unplugAfter = -1, replugAfterMs = -1;
};

const auto started = std::chrono::steady_clock::now();

long elapsedMs() {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count());
}

[[noreturn]] void usage() {
    fprintf(stderr,
            "usage: vboard [--product HEX] [--j1 HEX] [--j2 HEX] [--j2-low-after-exchanges N | --j2-low-after-ms MS]\n"
            "              [--wrong-echo N] [--unplug-after N] [--replug-after-ms MS]\n");
    exit(2);
}

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (i + 1 >= argc) usage();
        long value = strtol(argv[++i], nullptr, 0);
        if (option == "--product") options.product = static_cast<uint16_t>(value);
        else if (option == "--j1") options.j1 = static_cast<int>(value);
        else if (option == "--j2") options.j2 = static_cast<int>(value);
        else if (option == "--j2-low-after-exchanges") options.j2LowAfterExchanges = value;
        else if (option == "--j2-low-after-ms") options.j2LowAfterMs = value;
        else if (option == "--wrong-echo") options.wrongEcho = static_cast<int>(value);
        else if (option == "--unplug-after") options.unplugAfter = value;
        else if (option == "--replug-after-ms") options.replugAfterMs = value;
        else usage();
    }
    return options;
}

bool send(int fd, const uhid_event& event) {
    return write(fd, &event, sizeof event) == static_cast<ssize_t>(sizeof event);
}

bool create(int fd, uint16_t product) {
    uhid_event event{};
    event.type = UHID_CREATE2;
    snprintf(reinterpret_cast<char*>(event.u.create2.name), sizeof event.u.create2.name, "vboard %04x:%04x", vendorId,
             product);
    event.u.create2.rd_size = sizeof reportDescriptor;
    event.u.create2.bus = 0x03;  // USB
    event.u.create2.vendor = vendorId;
    event.u.create2.product = product;
    event.u.create2.version = 0x0100;
    memcpy(event.u.create2.rd_data, reportDescriptor, sizeof reportDescriptor);
    return send(fd, event);
}

bool destroy(int fd) {
    uhid_event event{};
    event.type = UHID_DESTROY;
    return send(fd, event);
}

bool input(int fd, const unsigned char* block) {
    uhid_event event{};
    event.type = UHID_INPUT2;
    event.u.input2.size = blockLength;
    memcpy(event.u.input2.data, block, blockLength);
    return send(fd, event);
}

}  // namespace

int main(int argc, char** argv) {
    Options options = parse(argc, argv);
    int fd = open("/dev/uhid", O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        perror("vboard: /dev/uhid");
        return 1;
    }
    if (!create(fd, options.product)) {
        perror("vboard: create");
        return 1;
    }
    setvbuf(stdout, nullptr, _IOLBF, 0);

    sim::Board board;
    board.j1In = options.j1;
    board.j2In = options.j2;
    long portExchanges = 0, exchanges = 0;
    int lastJ1 = -1;
    board.beforeAnswer = [&](sim::Board& b) {
        bool low = (options.j2LowAfterExchanges >= 0 && portExchanges > options.j2LowAfterExchanges) ||
                   (options.j2LowAfterMs >= 0 && elapsedMs() >= options.j2LowAfterMs);
        b.j2In = low ? (options.j2 & ~0x01) : options.j2;
    };

    for (;;) {
        uhid_event event{};
        ssize_t n = read(fd, &event, sizeof event);
        if (n < 0) {
            perror("vboard: read");
            return 1;
        }
        if (event.type == UHID_GET_REPORT || event.type == UHID_SET_REPORT) {
            // No feature reports: refuse the request so that the caller does not wait.
            uhid_event reply{};
            if (event.type == UHID_GET_REPORT) {
                reply.type = UHID_GET_REPORT_REPLY;
                reply.u.get_report_reply.id = event.u.get_report.id;
                reply.u.get_report_reply.err = EIO;
            } else {
                reply.type = UHID_SET_REPORT_REPLY;
                reply.u.set_report_reply.id = event.u.set_report.id;
                reply.u.set_report_reply.err = EIO;
            }
            send(fd, reply);
            continue;
        }
        if (event.type != UHID_OUTPUT || event.u.output.rtype != UHID_OUTPUT_REPORT) continue;

        // hidraw hands on the report ID byte 0x00 of a device without IDs.
        const unsigned char* block = event.u.output.data;
        if (event.u.output.size == blockLength + 1 && block[0] == 0x00) ++block;
        else if (event.u.output.size != blockLength) continue;

        if (block[0] == 0x20) ++portExchanges;
        unsigned char response[blockLength];
        board.answer(block, response);
        if (board.j1Out != lastJ1 && block[0] == 0x20) {
            lastJ1 = board.j1Out;
            printf("j1 %02x %ld\n", lastJ1, elapsedMs());
        }
        unsigned char stray[blockLength];
        memset(stray, 0xEE, sizeof stray);
        stray[echoIndex] = static_cast<unsigned char>(block[echoIndex] ^ 0xFF);
        for (int i = 0; i < options.wrongEcho; ++i) input(fd, stray);
        input(fd, response);

        if (options.unplugAfter >= 0 && ++exchanges >= options.unplugAfter) {
            destroy(fd);
            if (options.replugAfterMs < 0) return 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(options.replugAfterMs));
            options.unplugAfter = -1;
            if (!create(fd, options.product)) {
                perror("vboard: create");
                return 1;
            }
        }
    }
}
