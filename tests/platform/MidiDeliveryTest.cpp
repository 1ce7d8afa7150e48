// The rules by which the JACK output judges a message against its server's xrun notices, on
// times given by the test.

#include "platform/midi/MidiDelivery.h"

#include <gtest/gtest.h>

namespace {

using platform::MidiDelivery;
using platform::MidiDepartures;
using platform::XrunNotices;

constexpr int64_t kMs = 1000000;
constexpr int64_t kAt = 10000 * kMs;
constexpr int64_t kPeriod256 = 256 * 1000000000LL / 48000;
constexpr int64_t kPeriod1024 = 1024 * 1000000000LL / 48000;

// One message that went at kAt in a cycle of `period`, judged at `now` against one notice.
MidiDelivery judgedAgainst(int64_t notice, int64_t now, int64_t period = kPeriod256) {
    MidiDepartures departures;
    departures.Went(true, kAt, period);
    XrunNotices notices;
    notices.Told(notice);
    return departures.Judge(1, now, 0, notices);
}

} // namespace

// A notice from two cycles and 20 ms before a message went to three cycles and 25 ms after may
// be of the xrun that dropped it; until that last moment it may still come.
TEST(XrunWatch, ANoticeCountsWithinEachBoundAndNotJustOutside) {
    const int64_t toldBy = kAt + 3 * kPeriod256 + 25 * kMs;
    const int64_t lateFrom = kAt - 2 * kPeriod256 - 20 * kMs;
    EXPECT_EQ(judgedAgainst(toldBy, toldBy + 1), MidiDelivery::kMayBeLost);
    EXPECT_EQ(judgedAgainst(toldBy + 1, toldBy + 1), MidiDelivery::kClear);
    EXPECT_EQ(judgedAgainst(lateFrom, toldBy + 1), MidiDelivery::kMayBeLost);
    EXPECT_EQ(judgedAgainst(lateFrom - 1, toldBy + 1), MidiDelivery::kClear);
    EXPECT_EQ(judgedAgainst(lateFrom - 1, toldBy), MidiDelivery::kUnderWatch);
    // Each message by the length of the cycle that took it: the server's period changed.
    const int64_t toldBy1024 = kAt + 3 * kPeriod1024 + 25 * kMs;
    EXPECT_EQ(judgedAgainst(toldBy1024, toldBy1024 + 1, kPeriod1024), MidiDelivery::kMayBeLost);
    EXPECT_EQ(judgedAgainst(toldBy1024, toldBy1024 + 1), MidiDelivery::kClear);
    // What goes while the last notice would still count so waits that out.
    XrunNotices notices;
    EXPECT_EQ(MidiDepartures::ShadowNs(kAt, kPeriod256, notices), 0);
    notices.Told(lateFrom);
    EXPECT_EQ(MidiDepartures::ShadowNs(kAt, kPeriod256, notices), 1);
    EXPECT_EQ(MidiDepartures::ShadowNs(kAt + 1, kPeriod256, notices), 0);
}

// The notices kept reach back 62: a 63rd newer than the span asked about hides whether an
// older one fell in it.
TEST(XrunWatch, NoticesTooManyToReachBackCountAsTold) {
    for (uint64_t newer : {XrunNotices::kKept - 2, XrunNotices::kKept - 1}) {
        XrunNotices notices;
        for (uint64_t k = 1; k <= newer; ++k)
            notices.Told(kAt + int64_t(k));
        EXPECT_EQ(notices.ToldBetween(0, kAt), newer == XrunNotices::kKept - 1) << newer;
    }
}

// A message whose stamp may have been written over, one dropped, and one a close left in the
// ring may each be lost.
TEST(XrunWatch, MessagesPastWhatIsKeptDroppedOrNeverGoneMayBeLost) {
    MidiDepartures departures;
    for (uint64_t n = 0; n < 300; ++n)
        departures.Went(true, kAt, kPeriod256);
    departures.Went(false, kAt, kPeriod256);
    departures.Abandon(302);
    const XrunNotices none;
    const int64_t later = kAt + 1000 * kMs;
    EXPECT_EQ(departures.Judge(302 - (MidiDepartures::kKept - 2), later, 0, none),
              MidiDelivery::kClear);
    EXPECT_EQ(departures.Judge(302 - (MidiDepartures::kKept - 1), later, 0, none),
              MidiDelivery::kMayBeLost);
    EXPECT_EQ(departures.Judge(300, later, 0, none), MidiDelivery::kClear);
    EXPECT_EQ(departures.Judge(301, later, 0, none), MidiDelivery::kMayBeLost);
    EXPECT_EQ(departures.Judge(302, later, 0, none), MidiDelivery::kMayBeLost);
}

// What the server has not taken stays under watch while it runs no cycle, however long; once
// its cycles pass over the next message (and so what queued behind it), that may be lost.
TEST(XrunWatch, AMessageNotTakenWaitsForTheServerUnlessItsCyclesPassItOver) {
    MidiDepartures departures;
    const XrunNotices none;
    const int64_t muchLater = kAt + 60000 * kMs;
    EXPECT_EQ(departures.Judge(1, muchLater, 1000, none), MidiDelivery::kUnderWatch);
    departures.Passed(true, 10);
    departures.Passed(true, 11);
    EXPECT_EQ(departures.Judge(2, muchLater, 10 + MidiDepartures::kPassedOverCycles - 1, none),
              MidiDelivery::kUnderWatch);
    EXPECT_EQ(departures.Judge(2, kAt, 10 + MidiDepartures::kPassedOverCycles, none),
              MidiDelivery::kMayBeLost);
    departures.Passed(false, 14);
    EXPECT_EQ(departures.Judge(1, kAt, 1000, none), MidiDelivery::kUnderWatch);
    departures.Went(true, kAt, kPeriod256);
    departures.Passed(true, 20);
    EXPECT_EQ(departures.Judge(2, kAt, 20 + MidiDepartures::kPassedOverCycles - 1, none),
              MidiDelivery::kUnderWatch);
}
