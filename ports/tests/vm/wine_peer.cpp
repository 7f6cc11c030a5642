// The native side of the Windows port tests in the test machine: the Windows
// programs run under Wine and cannot reach uhid or the UART's registers, so
// this program does it for them, talking through files in one folder
// (Z:\tmp\peer under Wine):
//   ready         written once the reader and another HID device exist
//   output        each output report the reader received, one line of hex
//   queue         hex lines, each the data of an input report to answer with,
//                 also sent at once as an interrupt report (Wine answers a
//                 request for an input report with the last one it got so)
//                 (the test writes queue.tmp and renames it; taken, it goes)
//   silent        the reader stops answering requests for input reports
//   unplug        the reader is unplugged; `unplugged` tells that it is gone
//   uart          a request: `uart.registers` then holds "LCR DIVISOR" of
//                 ttyS1, as the driver programmed the UART
//   stop          the program ends
//   vm_wine_peer FOLDER
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "hex_text.h"
#include "uart_registers.h"
#include "uhid_device.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Written whole: a reader of the folder never sees half of it.
void WriteFile(const fs::path& path, const std::string& text)
{
    const fs::path part = path.string() + ".part";
    {
        std::ofstream out(part, std::ios::binary);
        out << text;
    }
    fs::rename(part, path);
}

bool Take(const fs::path& path)
{
    std::error_code error;
    return fs::remove(path, error);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vm_wine_peer FOLDER\n");
        return 2;
    }
    const fs::path folder = argv[1];
    fs::create_directories(folder);
    auto reader = std::make_unique<UhidDevice>(0x10C4, 0x0007, "Vemra reader");
    UhidDevice other(0x046D, 0xC077, "Another HID device");
    if (!reader->Created() || !other.Created() || !WaitForHidrawInterfaces(2)) {
        std::fprintf(stderr, "vm_wine_peer: the HID devices were not made\n");
        return 1;
    }
    WriteFile(folder / "ready", "10C4:0007\n");
    std::size_t written = 0;
    while (!fs::exists(folder / "stop")) {
        if (reader) {
            const auto received = reader->WaitForOutput(written + 1, 20ms);
            if (received.size() > written) {
                std::ofstream out(folder / "output", std::ios::app);
                for (; written < received.size(); ++written)
                    out << HexText(received[written].data) << '\n';
            }
            std::ifstream queue(folder / "queue");
            if (queue) {
                for (std::string line; std::getline(queue, line);) {
                    UhidDevice::Bytes report = BytesOfHexText(line);
                    reader->QueueInputReport(report);
                    report.resize(64, 0);  // an interrupt report has its whole length
                    reader->SendInputReport(report);
                }
                queue.close();
                Take(folder / "queue");
            }
            if (Take(folder / "silent")) reader->SetWhenEmpty(UhidDevice::WhenEmpty::kStaySilent);
            if (Take(folder / "unplug")) {
                reader->Unplug();
                WaitForHidrawInterfaces(1);
                reader.reset();
                WriteFile(folder / "unplugged", "");
            }
        } else {
            std::this_thread::sleep_for(20ms);
        }
        if (Take(folder / "uart")) {
            const auto registers = ReadUartRegisters("/dev/ttyS1");
            std::ostringstream text;
            if (registers) text << registers->lineControl << ' ' << registers->divisor << '\n';
            WriteFile(folder / "uart.registers", registers ? text.str() : "none\n");
        }
    }
    return 0;
}
