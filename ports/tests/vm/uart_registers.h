// The registers of a PC UART of the 8250 driver, as the driver programmed
// them: the line control register and the divisor of the UART's 1.8432 MHz
// clock (read through /dev/port, with the divisor latch open for a moment).
#pragma once

#include <optional>

struct UartRegisters {
    unsigned lineControl = 0;  // without parity, the even and stick bits cleared
    unsigned divisor = 0;
};

inline constexpr unsigned kUartClockRate = 115200;  // 1.8432 MHz / 16

// None when the device is no UART of the driver's or /dev/port cannot be used.
std::optional<UartRegisters> ReadUartRegisters(const char* device);
