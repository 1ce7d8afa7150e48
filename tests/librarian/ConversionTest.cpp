#include "src/librarian/PatchLibrarian.h"
#include "tests/librarian/LibrarianTestHost.h"
#include "tests/support/BankFileGenerator.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {
// A dump with every data byte 0 but the name, the category and the given bytes.
Dump handMade(DumpModel model, std::initializer_list<std::pair<int, uint8_t>> bytes,
              const std::string& category = "Keys") {
    Dump d = soundDump(model, "Hand Made", category, 0);
    std::fill(d.begin() + 6, d.begin() + 370, 0);
    for (auto [at, v] : bytes)
        d[size_t(at)] = v;
    setChecksum(&d);
    return d;
}

PatchSysexMessage readBack(const Dump& d) {
    return readBank(d).entries.at(0).dumps.at(0);
}

uint8_t microQ(int at, uint8_t v, int readAt) {
    PatchSysexMessage m(handMade(DumpModel::MicroQ, {{at, v}}));
    PatchLibrarian::alterPatchFromMicroQFormat(&m);
    return m.bytes[size_t(readAt)];
}
} // namespace

TEST(Conversion, MicroQValuesAreMappedAndTheUpperRegionMovesOnePosition) {
    struct Case {
        int at;
        uint8_t value;
        int readAt;
        uint8_t expected;
    };
    const Case cases[] = {
        {13, 5, 13, 8},     {13, 4, 13, 4},     {29, 126, 29, 1},   {15, 3, 15, 2},
        {47, 0, 47, 0},     {124, 0, 124, 127}, {124, 5, 124, 5},   {135, 4, 135, 5},
        {135, 3, 135, 3},   {151, 9, 151, 32},  {151, 3, 151, 3},   {151, 7, 151, 4},
        {151, 10, 151, 33}, {151, 11, 151, 12}, {252, 36, 253, 48}, {252, 37, 253, 0},
        {252, 30, 252, 30}, {253, 31, 254, 43}, {269, 10, 270, 11}, {314, 127, 315, 127},
        {300, 99, 301, 99}, {380, 55, 381, 55},
    };
    for (const Case& c : cases)
        EXPECT_EQ(microQ(c.at, c.value, c.readAt), c.expected) << c.at << " = " << int(c.value);

    const PatchSysexMessage read = readBack(handMade(DumpModel::MicroQ, {{200, 17}}));
    ASSERT_EQ(read.size(), 393);
    EXPECT_EQ(read.text(371, 16), "Hand Made       ");
    EXPECT_EQ(read.text(387, 4), "Keys");
    EXPECT_EQ(read.bytes[2], 0x0F);
    EXPECT_EQ(read.bytes[200], 17);
    Dump check = read.bytes;
    setChecksum(&check);
    EXPECT_EQ(read.bytes, check);
}

TEST(Conversion, BlofeldValuesAreClampedIntoTheMicroQRanges) {
    struct Case {
        int at;
        uint8_t value;
        uint8_t expected;
    };
    const Case cases[] = {
        {15, 7, 0},    {31, 6, 6},   {17, 17, 0},   {17, 10, 0},  {130, 15, 12}, {289, 16, 11},
        {268, 13, 13}, {252, 24, 0}, {313, 23, 23}, {269, 31, 0}, {290, 30, 30}, {293, 54, 0},
        {314, 53, 53}, {21, 9, 0},   {109, 1, 0},   {84, 18, 1},  {104, 17, 17}, {151, 6, 7},
    };
    for (const Case& c : cases) {
        PatchSysexMessage m(handMade(DumpModel::Blofeld, {{c.at, c.value}}, "0"));
        PatchLibrarian::alterPatchFromBlofeldFormat(&m);
        ASSERT_EQ(m.size(), 392);
        EXPECT_EQ(m.bytes[size_t(c.at)], c.expected) << c.at << " = " << int(c.value);
    }
    Dump long393 = handMade(DumpModel::Blofeld, {}, "0");
    long393.insert(long393.end() - 1, 0x11);
    PatchSysexMessage m(long393);
    PatchLibrarian::alterPatchFromBlofeldFormat(&m);
    EXPECT_EQ(m.size(), 392);
}

TEST(Conversion, BlofeldCategoryNumberAtPosition386BecomesTheCategoryText) {
    const PatchSysexMessage fx =
        readBack(handMade(DumpModel::Blofeld, {{388, 0x11}, {389, 0x22}}, "5"));
    ASSERT_EQ(fx.size(), 393);
    EXPECT_EQ(fx.bytes[387], 'F');
    EXPECT_EQ(fx.bytes[388], 'X');
    EXPECT_EQ(fx.bytes[389], 0x11);
    EXPECT_EQ(fx.bytes[390], 0x22);
    EXPECT_EQ(fx.text(371, 16), "Hand Made       ");
    EXPECT_EQ(fx.bytes[392], 0xF7);
    EXPECT_EQ(readBack(handMade(DumpModel::Blofeld, {}, "12")).text(387, 4),
              std::string("Seq") + '\0');
    EXPECT_EQ(readBack(handMade(DumpModel::Blofeld, {}, "0")).text(387, 4), "Init");
    EXPECT_EQ(readBack(handMade(DumpModel::Blofeld, {}, "13")).text(387, 4), "Init");
}
