// COM port numbers for the serial devices of this system.
//
// "\\.\COMn" names a device by one rule, which the serial port and the list of
// present ports share:
//   1. a file or link named COMn in the link folder (by default the folder
//      ComPorts beside the program) names the device for n, whatever it is: a
//      pseudo-terminal, a Bluetooth serial port, a udev by-id link;
//   2. otherwise the number falls in a block of one kind of device:
//        COM1   - COM32    /dev/ttyS0   - ttyS31    (on-board UARTs)
//        COM33  - COM64    /dev/ttyUSB0 - ttyUSB31  (USB serial adapters)
//        COM65  - COM96    /dev/ttyACM0 - ttyACM31  (USB CDC-ACM devices)
//        COM97  - COM128   /dev/rfcomm0 - rfcomm31  (Bluetooth RFCOMM)
//        COM129 - COM160   /dev/ttyAMA0 - ttyAMA31  (ARM UARTs)
//   Other numbers name a device only through a link.
#pragma once

#include <string>
#include <vector>

struct ComPortRoots {
    std::string devFolder = "/dev";
    std::string sysTtyFolder = "/sys/class/tty";
    std::string linkFolder;  // empty: ComPorts beside the program
    // Where a device number leads to the hardware (which adapter a tty is).
    std::string sysDevCharFolder = "/sys/dev/char";
};

struct ComPortEntry {
    unsigned long number;  // n of COMn
    std::string name;      // "\\.\COMn"
    std::string device;    // the device behind it, such as /dev/ttyUSB0
};

// The device for COM `number`, or "" when the rule names none.
std::string ResolveComDevice(unsigned long number, const ComPortRoots& roots = {});

// The COM ports whose devices are present, by ascending number (on Windows:
// in the order of the registry key Hardware\DeviceMap\SerialComm).
std::vector<ComPortEntry> ListComPorts(const ComPortRoots& roots = {});
// Whether the system keeps a list of COM ports at all: the registry key on
// Windows (a machine that never had a serial port lacks it), the tty class
// folder or the link folder here.
bool ComPortListAvailable(const ComPortRoots& roots = {});

// The folder of the running program, as UTF-8 text on every system.
std::string ProgramFolder();

// Where "\\.\COMn" is looked up by the serial port; tests point it elsewhere.
void SetDefaultComPortRoots(const ComPortRoots& roots);
ComPortRoots DefaultComPortRoots();
