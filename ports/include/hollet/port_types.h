// Records and constants the serial port shares with its platform layer.
#pragma once

#include <cstdint>

// A device handle as the platform gives it (a file descriptor or a Windows
// HANDLE); all bits set while no device is open.
using PortHandle = std::intptr_t;
inline constexpr PortHandle kInvalidPortHandle = -1;

// Parity codes and stop-bit codes of the line state
// (the values of the Windows DCB record).
enum : std::uint8_t {
    kParityNone = 0,
    kParityOdd = 1,
    kParityEven = 2,
    kParityMark = 3,
    kParitySpace = 4
};
enum : std::uint8_t { kOneStopBit = 0, kOne5StopBits = 1, kTwoStopBits = 2 };

// The line state: the fields of a Windows DCB that this library sets or reads.
struct CommState {
    std::uint32_t BaudRate = 0;
    std::uint8_t ByteSize = 0;  // 5 to 8
    std::uint8_t Parity = 0;    // kParityNone …
    std::uint8_t StopBits = 0;  // kOneStopBit …
    bool fParity = false;       // parity checking on input
};

// The five reply and write time-outs in milliseconds, as a Windows COMMTIMEOUTS.
struct CommTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

inline constexpr std::uint32_t kMaxDword = 0xFFFFFFFF;

// Purge flags: abort or clear the transmit or receive side.
enum : unsigned long {
    kPurgeTxAbort = 0x1,
    kPurgeRxAbort = 0x2,
    kPurgeTxClear = 0x4,
    kPurgeRxClear = 0x8,
};

// Reads a line setting in the Windows mode syntax ("9600,n,8,1",
// "baud=9600 parity=n data=8 stop=1", optionally after "COMn:") into `state`.
// Only the baud rate, parity, data bits and stop bits are set, and only when the
// whole text is understood; returns false and leaves `state` alone otherwise.
// On Windows the system reads the text (BuildCommDCBA) and its syntax holds.
bool BuildCommState(const char* settings, CommState& state);
