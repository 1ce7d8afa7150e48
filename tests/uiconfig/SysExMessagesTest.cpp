#include "src/uiconfig/UIConfigManager.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

SysExMessageList build(const char* templ, int changingByte, int count, int start, int part) {
    ControlActionSysExMessage out;
    UIConfigManager::calculateSysexWithChangingByte(templ, changingByte, count, &out, start, part);
    return out.messages;
}

// The value byte (index 7) of every message of an eight-byte sound template.
std::vector<int> valueBytes(int count, int start) {
    const SysExMessageList list = build("3E 0F 00 20 09 00 00 05", 8, count, start, -1);
    std::vector<int> values;
    for (int k = 0; k < list.size(); ++k)
        values.push_back(list.message(k)[7]);
    return values;
}

TEST(SysExMessages, PartByteAndValueByteThroughTheLastDataByte) {
    const SysExMessageList list = build("3E 0F 00 20 09 00 00 00", 8, 3, 126, 2);
    ASSERT_EQ(list.size(), 3);
    EXPECT_THAT(list.message(0), ElementsAre(0x3E, 0x0F, 0, 0x20, 2, 0, 0, 126));
    EXPECT_THAT(list.message(2), ElementsAre(0x3E, 0x0F, 0, 0x20, 2, 0, 0, 0));
    // Past either end there is no message, so a value outside the list sends nothing.
    EXPECT_THAT(list.message(3), IsEmpty());
    EXPECT_THAT(list.message(-1), IsEmpty());

    // Start -1 leads with the template itself, part byte untouched, then its own value again.
    const SysExMessageList verbatim = build("3E 0F 00 20 09 00 00 05", 8, 3, -1, 2);
    EXPECT_THAT(verbatim.message(0), ElementsAre(0x3E, 0x0F, 0, 0x20, 9, 0, 0, 5));
    EXPECT_THAT(verbatim.message(1), ElementsAre(0x3E, 0x0F, 0, 0x20, 2, 0, 0, 5));
    EXPECT_EQ(verbatim.message(2)[7], 6);
}

TEST(SysExMessages, ValueBytesStaySevenBits) {
    const struct {
        int count, start;
        std::vector<int> values;
    } cases[] = {
        {3, 200, {72, 73, 74}},   // would otherwise send data bytes >= 0x80
        {3, -3, {125, 126, 127}}, // a negative minimum wraps from the top
        {0, 5, {}},
        {0, -1, {5}}, // the template alone
    };
    for (const auto& c : cases)
        EXPECT_THAT(valueBytes(c.count, c.start), ElementsAreArray(c.values)) << c.start;
}

TEST(SysExMessages, BytesTheTemplateLacksAreNotWritten) {
    // Template bytes >= 0x80 are kept as they are.
    EXPECT_THAT(build("F7 9F 80 21 0A 0B 0C", 7, 1, 3, 1).message(0),
                ElementsAre(0xF7, 0x9F, 0x80, 0x21, 1, 0x0B, 3));
    EXPECT_THAT(build("3E 0F 00 21", 9, 2, 3, 1).message(1), ElementsAre(0x3E, 0x0F, 0, 0x21));
}

} // namespace
