#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "hollet/port_types.h"

namespace {

// Where the platform reads line settings (BuildCommDCBA on Windows), texts
// outside the console's own forms are read as the platform reads them; only
// this project's parser is held to these.
#ifdef _WIN32
constexpr bool kPlatformParser = true;
#else
constexpr bool kPlatformParser = false;
#endif
bool OwnParserOnly(std::string_view text)
{
    for (std::string_view own :
         {" 19200 , n , 8 , 1 ", "BAUD=19200 PARITY=N DATA=8 STOP=1 to=off dtr=on rts=hs",
          "0,n,8,1", "99999999999,n,8,1"})
        if (text == own) return kPlatformParser;
    return false;
}

TEST(BuildCommState, ReadsLineSettings)
{
    struct Case {
        const char* text;
        std::uint32_t baud;
        std::uint8_t parity;
        std::uint8_t byteSize;
        std::uint8_t stopBits;
    };
    const Case cases[] = {
        // the console's list, blanks removed
        {"4800,n,8,1", 4800, kParityNone, 8, kOneStopBit},
        {"4800,e,8,1", 4800, kParityEven, 8, kOneStopBit},
        {"9600,n,8,1", 9600, kParityNone, 8, kOneStopBit},
        {"9600,e,8,1", 9600, kParityEven, 8, kOneStopBit},
        {"19200,n,8,1", 19200, kParityNone, 8, kOneStopBit},
        {"19200,e,8,1", 19200, kParityEven, 8, kOneStopBit},
        {"38400,n,8,1", 38400, kParityNone, 8, kOneStopBit},
        {"38400,e,8,1", 38400, kParityEven, 8, kOneStopBit},
        {"57600,n,8,1", 57600, kParityNone, 8, kOneStopBit},
        {"57600,e,8,1", 57600, kParityEven, 8, kOneStopBit},
        {"115200,n,8,1", 115200, kParityNone, 8, kOneStopBit},
        {"115200,e,8,1", 115200, kParityEven, 8, kOneStopBit},
        // other rates, parities, sizes and stop bits
        {"110,o,7,2", 110, kParityOdd, 7, kTwoStopBits},
        {"921600,M,8,1.5", 921600, kParityMark, 8, kOne5StopBits},
        {"1000000,s,7,1", 1000000, kParitySpace, 7, kOneStopBit},
        {"96,n,8,1", 9600, kParityNone, 8, kOneStopBit},
        {" 19200 , n , 8 , 1 ", 19200, kParityNone, 8, kOneStopBit},
        {"COM3: 9600,e,7,2", 9600, kParityEven, 7, kTwoStopBits},
        {"baud=57600 parity=e data=7 stop=2", 57600, kParityEven, 7, kTwoStopBits},
        {"BAUD=19200 PARITY=N DATA=8 STOP=1 to=off dtr=on rts=hs", 19200, kParityNone, 8,
         kOneStopBit},
        // a flow-control field after the stop bits is taken and not used
        {"9600,n,8,1,x", 9600, kParityNone, 8, kOneStopBit},
        {"9600,n,8,1,p", 9600, kParityNone, 8, kOneStopBit},
        {"19, e, 7, 1, x", 19200, kParityEven, 7, kOneStopBit},
        {"96,N,8,1 , X ", 9600, kParityNone, 8, kOneStopBit},
        {"48,n,8,2,P", 4800, kParityNone, 8, kTwoStopBits},
        {"9600,n,8,1,", 9600, kParityNone, 8, kOneStopBit},
        // the device name, with blanks around its colon or a blank for it
        {"COM3 : 9600,n,8,1", 9600, kParityNone, 8, kOneStopBit},
        {"com12  :    57600,S,6,2,x", 57600, kParitySpace, 6, kTwoStopBits},
        {"COM3 19,M,5,1", 19200, kParityMark, 5, kOneStopBit},
        {"COM3 :to=on stop=1.5", 1234, kParityOdd, 6, kOne5StopBits},
        // key form: without stop= one stop bit (two at 110 baud); the other
        // fields not given keep what the state held; rates are taken as written
        {"baud=9600 parity=n data=8", 9600, kParityNone, 8, kOneStopBit},
        {"Baud=115200 Parity=O Data=8 To=On", 115200, kParityOdd, 8, kOneStopBit},
        {"baud=110 parity=n data=8", 110, kParityNone, 8, kTwoStopBits},
        {"baud=110 stop=1", 110, kParityOdd, 6, kOneStopBit},
        {"PaRiTy=s           Data=7          DTR=on", 1234, kParitySpace, 7, kOneStopBit},
        {"COM3:baud=38400 data=8", 38400, kParityOdd, 8, kOneStopBit},
        {"baud=96", 96, kParityOdd, 6, kOneStopBit},
    };
    for (const Case& c : cases) {
        if (OwnParserOnly(c.text)) continue;
        SCOPED_TRACE(c.text);
        CommState state;
        state.BaudRate = 1234;
        state.Parity = kParityOdd;
        state.ByteSize = 6;
        state.StopBits = kTwoStopBits;
        ASSERT_TRUE(BuildCommState(c.text, state));
        EXPECT_EQ(state.BaudRate, c.baud);
        EXPECT_EQ(state.Parity, c.parity);
        EXPECT_EQ(state.ByteSize, c.byteSize);
        EXPECT_EQ(state.StopBits, c.stopBits);
    }
}

TEST(BuildCommState, RefusesWhatItCannotReadAndChangesNothing)
{
    for (const char* text : {"",
                             "   ",
                             "abc",
                             "0,n,8,1",
                             "-9600,n,8,1",
                             "9600,x,8,1",
                             "9600,n,9,1",
                             "9600,n,4,1",
                             "9600,n,8,3",
                             "9600,,8,1",
                             "2400",
                             "9600,n",
                             "9600,n,8",
                             "COM3: 9600,e,7",
                             "9600;n;8;1",
                             "baud=9600 parity=q",
                             "speed=9600",
                             "9600 n 8 1",
                             "99999999999,n,8,1",
                             "19200, n,8,1x",
                             "96,N,8,1,K",
                             "9600,n,8,1,xx",
                             "9600,n,8,1,x,x",
                             "96,N,8,1 to=on",
                             "COM0:9600,N,8,1",
                             "COM0:baud=115200",
                             "COMx:9600,n,8,1",
                             "COM3",
                             "baud=9600,data=8",
                             "stop=1.501",
                             "to=foobar",
                             "parity=no"}) {
        if (OwnParserOnly(text)) continue;
        SCOPED_TRACE(text);
        CommState state;
        state.BaudRate = 1234;
        state.ByteSize = 7;
        EXPECT_FALSE(BuildCommState(text, state));
        EXPECT_EQ(state.BaudRate, 1234u);
        EXPECT_EQ(state.ByteSize, 7);
    }
}

}  // namespace
