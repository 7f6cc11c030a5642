// Whether the system refuses a second open of a COM port that is open. The
// Windows serial driver and the Linux serial port allow one at a time; Wine
// opens a serial device however often it is asked, whatever the sharing flags
// say.
#pragma once

bool SecondOpenIsRefused();
