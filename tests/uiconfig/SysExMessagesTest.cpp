#include "src/uiconfig/ControlAction.h"
#include "src/uiconfig/NRPNControlContainer.h"
#include "src/uiconfig/SysExControlContainer.h"
#include "src/uiconfig/UIConfigManager.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

const char* const kSound = "3E 0F 00 20 09 00 00 00"; // value byte 8, part byte 09

SysExMessageList build(const char* templ, int changingByte, int count, int start, int part) {
    ControlActionSysExMessage out;
    UIConfigManager::calculateSysexWithChangingByte(templ, changingByte, count, &out, start, part);
    return out.messages;
}

// The value byte (index 7) of every message.
std::vector<int> valueBytes(const SysExMessageList& list) {
    std::vector<int> values;
    for (int k = 0; k < list.size(); ++k) values.push_back(list.message(k)[7]);
    return values;
}

TEST(SysExMessages, ValueRunsThroughTheLastDataByteIntoZero) {
    const SysExMessageList list = build(kSound, 8, 3, 126, 2);
    ASSERT_EQ(list.size(), 3);
    EXPECT_THAT(list.message(0), ElementsAre(0x3E, 0x0F, 0, 0x20, 2, 0, 0, 126));
    EXPECT_THAT(list.message(1), ElementsAre(0x3E, 0x0F, 0, 0x20, 2, 0, 0, 127));
    EXPECT_THAT(list.message(2), ElementsAre(0x3E, 0x0F, 0, 0x20, 2, 0, 0, 0));
    // Past either end there is no message, so a value outside the list sends nothing.
    EXPECT_THAT(list.message(3), IsEmpty());
    EXPECT_THAT(list.message(-1), IsEmpty());
}

TEST(SysExMessages, StartMinusOneLeadsWithTheTemplateItself) {
    const SysExMessageList list = build("3E 0F 00 20 09 00 00 05", 8, 3, -1, 2);
    ASSERT_EQ(list.size(), 3);
    EXPECT_THAT(list.message(0), ElementsAre(0x3E, 0x0F, 0, 0x20, 9, 0, 0, 5));
    EXPECT_THAT(list.message(1), ElementsAre(0x3E, 0x0F, 0, 0x20, 2, 0, 0, 5));
    EXPECT_THAT(list.message(2), ElementsAre(0x3E, 0x0F, 0, 0x20, 2, 0, 0, 6));
    EXPECT_EQ(build(kSound, 8, 0, -1, 2).size(), 1);
    EXPECT_THAT(valueBytes(build(kSound, 8, 1, -1, -1)), ElementsAre(0));
}

TEST(SysExMessages, ValueBytesStaySevenBits) {
    struct Case {
        int count, start;
        std::vector<int> values;
    } cases[] = {
        {2, 0, {0, 1}},           // a button
        {3, 200, {72, 73, 74}},   // would otherwise send data bytes >= 0x80
        {3, -3, {125, 126, 127}}, // a negative minimum wraps from the top (-1 is the template mode)
        {0, 5, {}},
    };
    for (const Case& c : cases)
        EXPECT_THAT(valueBytes(build(kSound, 8, c.count, c.start, -1)), ElementsAreArray(c.values))
            << c.start;

    // A fader whose value 0 sends 64: 0..63 send 64..127, 64..127 send 0..63.
    const std::vector<int> fader = valueBytes(build(kSound, 8, 128, 64, -1));
    ASSERT_EQ(fader.size(), 128u);
    EXPECT_EQ(fader[0], 64);
    EXPECT_EQ(fader[63], 127);
    EXPECT_EQ(fader[64], 0);
    EXPECT_EQ(fader[127], 63);
}

TEST(SysExMessages, BytesTheTemplateLacksAreNotWritten) {
    // Template bytes >= 0x80 are kept as they are; the part byte is index 4 only.
    EXPECT_THAT(build("F7 9F 80 21 0A 0B 0C", 7, 1, 3, 1).message(0),
                ElementsAre(0xF7, 0x9F, 0x80, 0x21, 1, 0x0B, 3));
    EXPECT_THAT(build("3E 0F 00 21", 9, 2, 3, 1).message(1), ElementsAre(0x3E, 0x0F, 0, 0x21));
    EXPECT_THAT(build("3E 0F 00 21 00", 0, 1, 3, 1).message(0), ElementsAre(0x3E, 0x0F, 0, 0x21, 1));
}

TEST(SysExMessages, OnlyTheMessagesAreReplaced) {
    ControlActionSysExMessage out;
    out.multiMessage = true;
    out.messageSets.resize(2);
    UIConfigManager::calculateSysexWithChangingByte(kSound, 8, 2, &out, 0, -1);
    UIConfigManager::calculateSysexWithChangingByte(kSound, 8, 1, &out, 0, -1);
    EXPECT_EQ(out.messages.size(), 1);
    EXPECT_TRUE(out.multiMessage);
    EXPECT_EQ(out.messageSets.size(), 2u);
}

TEST(SysExAddress, BytesBeforeTheValueDeviceIdZeroForMultiAndGlobal) {
    struct Case {
        std::vector<int> message;
        int changingByte;
        bool found;
        std::vector<int> address;
    } cases[] = {
        {{0x3E, 0x0F, 5, 0x20, 3, 1, 0x9F, 64}, 8, true, {0x20, 3, 1, 0x9F}},
        {{0x3E, 0x0F, 5, 0x21, 1, 2, 64}, 7, true, {0, 0x21, 1, 2}},
        {{0x3E, 0x0F, 5, 0x24, 1, 2, 64}, 7, true, {0, 0x24, 1, 2}},
        {{0x3E, 0x0F, 5, 0x20, 1, 2, 64}, 7, true, {5, 0x20, 1, 2}},
        {{0x3E, 0x0F, 5, 0x20, 3, 1, 2}, 8, true, {0x20, 3, 1, 2}}, // exactly long enough
        {{0x3E, 0x0F, 5, 0x20, 3, 1}, 8, false, {}},
        {{0x3E, 0x0F, 5, 0x21, 1, 2}, 7, true, {0, 0x21, 1, 2}},
        {{0x3E, 0x0F, 5, 0x21, 1}, 7, false, {}},
    };
    for (const Case& c : cases) {
        unsigned char address[4] = {};
        ASSERT_EQ(SysExControlContainer::sysexAddress(c.message, c.changingByte, address), c.found);
        if (c.found) {
            EXPECT_THAT(address, ElementsAreArray(c.address));
        }
    }
}

TEST(ControlMaps, LastRegistrationWinsEveryKeyCounts) {
    int a, b, c; // stand-ins: the maps never touch their controls
    IControl* const first = reinterpret_cast<IControl*>(&a);
    IControl* const second = reinterpret_cast<IControl*>(&b);
    IControl* const third = reinterpret_cast<IControl*>(&c);

    SysExControlContainer sysex;
    const unsigned char address[4] = {0x20, 3, 0x81, 0xFF};
    sysex.addToControlMap(address, 8, first);
    sysex.addToControlMap(address, 8, second);
    sysex.addToControlMap(address, 0, third);
    EXPECT_EQ(sysex.findControl(0x20, 3, 0x81, 0xFF, 8), second);
    EXPECT_EQ(sysex.findControl(0x20, 3, 0x81, 0xFF, 0), third);
    EXPECT_EQ(sysex.findControl(0x20, 3, 0x81, 0xFF, 1), nullptr);
    EXPECT_EQ(sysex.findControl(0x20, 3, -127, 0xFF, 8), nullptr); // bytes widen unsigned
    EXPECT_EQ(sysex.findControl(0x21, 3, 0x81, 0xFF, 8), nullptr);

    NRPNControlContainer nrpn;
    ControlAction keys;
    keys.channelOrPart = 3;
    keys.nrpnKey1 = 99;
    keys.nrpnKey2 = 1;
    keys.nrpnKey3 = 2;
    keys.mapVariant = 1;
    nrpn.addToControlMap(&keys, first);
    EXPECT_EQ(nrpn.findControl(3, 99, 1, 2, 1), first);
    for (int k = 0; k < 5; ++k) {
        int key[5] = {3, 99, 1, 2, 1};
        ++key[k];
        EXPECT_EQ(nrpn.findControl(key[0], key[1], key[2], key[3], key[4]), nullptr) << k;
    }
}

} // namespace
