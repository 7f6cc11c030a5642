// Corvane loaded the way the console loads it: by path, exports by name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "quillard/dynamic_library.h"
#include "tlx_protocol.h"

namespace {

class Corvane : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        handle_ = OpenLibrary(CORVANE_PATH);
        ASSERT_NE(handle_, nullptr);
        wrap_ = reinterpret_cast<tlx_PCToReader_fn>(FindExport(handle_, "tlx_PCToReader"));
        unwrap_ = reinterpret_cast<tlx_ReaderToPC_fn>(FindExport(handle_, "tlx_ReaderToPC"));
        check_ = reinterpret_cast<tlx_CheckData_fn>(FindExport(handle_, "tlx_CheckData"));
    }
    static void TearDownTestSuite()
    {
        if (handle_) CloseLibrary(handle_);
    }

    static std::vector<unsigned char> Wrap(const std::string& text, int capacity, int* result)
    {
        // Guard bytes after the capacity catch a wrap that writes too far.
        std::vector<unsigned char> frame(static_cast<std::size_t>(capacity) + 8, 0xEE);
        int length = capacity;
        *result = wrap_(text.data(), static_cast<int>(text.size()), frame.data(), &length);
        for (std::size_t i = static_cast<std::size_t>(capacity); i < frame.size(); ++i)
            EXPECT_EQ(frame[i], 0xEE) << "wrote past the capacity at " << i;
        EXPECT_GE(length, 0);
        EXPECT_LE(length, capacity);
        frame.resize(static_cast<std::size_t>(length));
        return frame;
    }

    static inline void* handle_ = nullptr;
    static inline tlx_PCToReader_fn wrap_ = nullptr;
    static inline tlx_ReaderToPC_fn unwrap_ = nullptr;
    static inline tlx_CheckData_fn check_ = nullptr;
};

TEST_F(Corvane, ExportsTheThreeFunctions)
{
    EXPECT_NE(wrap_, nullptr);
    EXPECT_NE(unwrap_, nullptr);
    EXPECT_NE(check_, nullptr);
}

TEST_F(Corvane, WrapReadsHexPairs)
{
    struct Case {
        std::string text;
        int capacity;
        std::vector<unsigned char> frame;
    };
    const Case cases[] = {
        {"0102A0ff", 4096, {0x01, 0x02, 0xA0, 0xFF}},
        {"", 4096, {}},
        {"0102", 0, {}},
        {"abcdef", 4096, {0xAB, 0xCD, 0xEF}},
        {"ABC", 4096, {0xAB, 0xC0}},
        {"x1", 4096, {0x01}},
        {"1x", 4096, {0x10}},
        {"G!z ", 4096, {0x00, 0x00}},
        {"0123456789", 3, {0x01, 0x23, 0x45}},
        {"9", 1, {0x90}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("text \"" + c.text + "\" capacity " + std::to_string(c.capacity));
        int result = 0;
        const auto frame = Wrap(c.text, c.capacity, &result);
        EXPECT_NE(result, 0);
        EXPECT_EQ(frame, c.frame);
    }
}

TEST_F(Corvane, WrapWithNegativeCapacityWritesNothing)
{
    unsigned char guard = 0xEE;
    int length = -5;
    EXPECT_NE(wrap_("0102", 4, &guard, &length), 0);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(guard, 0xEE);
}

TEST_F(Corvane, WrapOfEveryByteValueRoundTrips)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (int b = 0; b < 256; ++b) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    int result = 0;
    const auto frame = Wrap(text, 4096, &result);
    ASSERT_EQ(frame.size(), 256u);
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(frame[static_cast<std::size_t>(b)], b);
}

TEST_F(Corvane, UnwrapCopiesTheRawReplyUnchanged)
{
    for (int n : {0, 1, 2, 1024}) {
        SCOPED_TRACE(n);
        std::vector<unsigned char> raw(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            raw[static_cast<std::size_t>(i)] = static_cast<unsigned char>(i * 7);
        std::vector<unsigned char> reply(4096, 0xEE);
        int length = 0;
        EXPECT_NE(unwrap_(raw.data(), n, reply.data(), &length), 0);
        ASSERT_EQ(length, n);
        EXPECT_TRUE(std::equal(raw.begin(), raw.end(), reply.begin()));
        EXPECT_EQ(reply[static_cast<std::size_t>(n)], 0xEE);
    }
}

TEST_F(Corvane, CheckAcceptsAnything)
{
    const unsigned char garbage[] = {0xFF, 0x00, 0x13, 0x37};
    EXPECT_EQ(check_(garbage, 4), 0);
    EXPECT_EQ(check_(garbage, 1), 0);
    EXPECT_EQ(check_(nullptr, 0), 0);
}

}  // namespace
