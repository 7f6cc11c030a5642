// The fields of a Windows DCB that the line state carries, each way.
#pragma once

#include <windows.h>

#include "hollet/port_types.h"

// Whatever the port was left with, the line carries every byte as it is, as
// BuildCommDCB leaves a port without "x" or "p": no XON/XOFF (which would
// swallow the bytes 11 and 13 of a reader's frame), no hardware handshake, no
// byte dropped or replaced, DTR and RTS on.
inline void CopyStateToDcb(const CommState& state, DCB& dcb)
{
    dcb.BaudRate = state.BaudRate;
    dcb.ByteSize = state.ByteSize;
    dcb.Parity = state.Parity;
    dcb.StopBits = state.StopBits;
    dcb.fParity = state.fParity ? TRUE : FALSE;
    dcb.fBinary = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
}

inline void CopyDcbToState(const DCB& dcb, CommState& state)
{
    state.BaudRate = dcb.BaudRate;
    state.ByteSize = dcb.ByteSize;
    state.Parity = dcb.Parity;
    state.StopBits = dcb.StopBits;
    state.fParity = dcb.fParity != 0;
}
