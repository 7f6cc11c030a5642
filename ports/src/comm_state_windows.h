// The fields of a Windows DCB that the line state carries, each way.
#pragma once

#include <windows.h>

#include "hollet/port_types.h"

inline void CopyStateToDcb(const CommState& state, DCB& dcb)
{
    dcb.BaudRate = state.BaudRate;
    dcb.ByteSize = state.ByteSize;
    dcb.Parity = state.Parity;
    dcb.StopBits = state.StopBits;
    dcb.fParity = state.fParity ? TRUE : FALSE;
}

inline void CopyDcbToState(const DCB& dcb, CommState& state)
{
    state.BaudRate = dcb.BaudRate;
    state.ByteSize = dcb.ByteSize;
    state.Parity = dcb.Parity;
    state.StopBits = dcb.StopBits;
    state.fParity = dcb.fParity != 0;
}
