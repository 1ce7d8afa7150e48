#include "src/sender/SysexMessage.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/FakeSenderPlugin.h"

#include <gtest/gtest.h>

using Bytes = std::vector<uint8_t>;
namespace sx = SysexMessage;

TEST(SysexMessage, RequestsCarryDeviceIdMessageIdAndAddress) {
    struct Case {
        Bytes built;
        Bytes expected;
    } cases[] = {
        {sx::request(0x7F, kSysexSoundRequest, sx::soundEditBuffer(0)),
         {0x3E, 0x0F, 0x7F, 0x00, 0x30, 0x00}},
        {sx::request(3, kSysexSoundRequest, sx::soundEditBuffer(15)),
         {0x3E, 0x0F, 0x03, 0x00, 0x30, 0x0F}},
        {sx::request(0, kSysexSoundRequest, sx::soundSlot(3, 99)),
         {0x3E, 0x0F, 0x00, 0x00, 0x03, 0x63}},
        {sx::request(1, kSysexMultiRequest, sx::multiEditBuffer()),
         {0x3E, 0x0F, 0x01, 0x01, 0x20, 0x00}},
        {sx::request(1, kSysexMultiRequest, sx::multiSlot(42)),
         {0x3E, 0x0F, 0x01, 0x01, 0x00, 0x2A}},
        {sx::request(0, kSysexPatternRequest, sx::patternEditBuffer()),
         {0x3E, 0x0F, 0x00, 0x03, 0x20, 0x00}},
        // Pattern slots count from 1 on the wire.
        {sx::request(0, kSysexPatternRequest, sx::patternSlot(0)),
         {0x3E, 0x0F, 0x00, 0x03, 0x00, 0x01}},
        {sx::request(0, kSysexPatternRequest, sx::patternSlot(99)),
         {0x3E, 0x0F, 0x00, 0x03, 0x00, 0x64}},
        {sx::deviceIdProbe(0x11), {0x3E, 0x0F, 0x11, 0x04}},
        {sx::partSelect(0, 0), {0x3E, 0x0F, 0x00, 0x17, 0x00, 0x01}},
        {sx::partSelect(0, 15), {0x3E, 0x0F, 0x00, 0x17, 0x00, 0x1F}},
        {sx::tempoMessage(2, 120), {0x3E, 0x0F, 0x02, 0x21, 0x00, 0x05, 0x78}},
        // Data bytes never leave the 7-bit range, whatever they are given.
        {sx::deviceIdProbe(0x85), {0x3E, 0x0F, 0x05, 0x04}},
        {sx::tempoMessage(0, 200), {0x3E, 0x0F, 0x00, 0x21, 0x00, 0x05, 0x48}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.built, c.expected);
}

TEST(SysexMessage, ChecksumCoversIdAddressAndDataFromTheMinimumLength) {
    // Framed: bytes 4 .. n-3 summed into n-2; 195 ones give 0xC3 & 0x7F.
    Bytes framed(201, 0x01);
    framed[0] = 0xF0;
    framed[1] = 0x3E;
    framed[2] = 0x0F;
    framed[3] = 0x55; // the device id is not summed
    framed[199] = 0x00;
    framed[200] = 0xF7;
    sx::writeChecksum(framed.data(), int(framed.size()));
    EXPECT_EQ(framed[199], 0x43);
    EXPECT_EQ(framed[200], 0xF7);

    // Without F0: bytes 3 .. n-2 summed into n-1, where the path will add F7 after it.
    Bytes bare(201, 0x01);
    bare[0] = 0x3E;
    bare[1] = 0x0F;
    bare[2] = 0x55;
    bare[200] = 0x00;
    sx::writeChecksum(bare.data(), int(bare.size()));
    EXPECT_EQ(bare[200], 197 & 0x7F);

    // One byte shorter: nothing is written.
    Bytes shortMessage(200, 0x01);
    shortMessage[0] = 0xF0;
    const Bytes before = shortMessage;
    sx::writeChecksum(shortMessage.data(), int(shortMessage.size()));
    EXPECT_EQ(shortMessage, before);
}

class SendSysexMessage : public ::testing::Test {
protected:
    testsupport::FakeSenderPlugin plugin;
    MIDIMessageManager manager{&plugin, nullptr, nullptr, nullptr};
};

TEST_F(SendSysexMessage, SendsLowBytesFramed) {
    plugin.setParam(kDeviceOutSelection, 1.0);
    manager.sendSysexMessage({0x13E, 0x0F});
    manager.sendSysexMessage({0x3E, 0x0F, 0x00, 0x20, 0x00, 0x00, 0x05, 0x40});
    const auto wire = plugin.output.bytes();
    ASSERT_EQ(wire.size(), 2u);
    EXPECT_EQ(wire[0], (Bytes{0xF0, 0x3E, 0x0F, 0xF7}));
    EXPECT_EQ(wire[1], (Bytes{0xF0, 0x3E, 0x0F, 0x00, 0x20, 0x00, 0x00, 0x05, 0x40, 0xF7}));
    EXPECT_EQ(plugin.upperDisplay(), "");
}

TEST_F(SendSysexMessage, EmptyMessageSendsNothing) {
    plugin.setParam(kDeviceOutSelection, 2.0);
    manager.sendSysexMessage({});
    EXPECT_EQ(plugin.output.count(), 0u);
    EXPECT_EQ(plugin.upperDisplay(), "");
}

TEST_F(SendSysexMessage, WithoutOutputAsksForOne) {
    plugin.setParam(kDeviceOutSelection, 0.0);
    manager.sendSysexMessage({0x3E, 0x0F});
    EXPECT_EQ(plugin.output.count(), 0u);
    EXPECT_EQ(plugin.upperDisplay(), "Set MIDI I/O First!");
}
