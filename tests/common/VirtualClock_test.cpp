// A virtual clock that follows a leader: never behind the leader's time, while its
// own reads and pauses move it alone.

#include <gtest/gtest.h>

#include "common/Clock.h"

using vantrel::VirtualClock;

TEST(VirtualClock, AFollowerNeverFallsBehindItsLeaderAndMovesAlone) {
    VirtualClock leader;
    VirtualClock a(1, &leader);
    VirtualClock b(1, &leader);
    a.Sleep(5000);  // a job's long pause
    EXPECT_EQ(a.Now(), 5000u);
    EXPECT_EQ(b.Now(), 0u);  // does not run out another job's waits
    EXPECT_EQ(leader.Now(), 0u);
    leader.Sleep(300);  // the station's time, on which arrivals are scheduled
    EXPECT_EQ(b.Now(), 300u);
    EXPECT_EQ(a.Now(), 5000u);  // never set back
    EXPECT_EQ(b.GetTickCount(), 301u);
    leader.Advance(10000);
    EXPECT_EQ(a.GetTickCount(), 10301u);
}
