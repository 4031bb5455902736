#include <gtest/gtest.h>

#include "telemetry/kalgpslist.h"
#include "telemetry/kalgpsstate.h"

namespace {

RmcInfoNode* node(int32_t index)
{
    RmcInfo r{};
    r.sampleIndex = index;
    return kalGpsNewSampleNode(r);
}

std::vector<int32_t> indices(const KalList<RmcInfoNode>& list)
{
    std::vector<int32_t> out;
    for (const RmcInfoNode* n = list.head; n; n = n->next)
        out.push_back(n->info.sampleIndex);
    return out;
}

} // namespace

TEST(KalList, AppendInsertDeleteKeepTheTailRight)
{
    KalList<RmcInfoNode> list;
    list_add_tail(node(1), list);
    list_add_tail(node(3), list);
    list_add(node(2), list.head, list); // after 1
    list_add(node(0), nullptr, list);   // in front
    list_add(node(4), list.tail, list); // after the last: becomes the tail
    EXPECT_EQ(indices(list), (std::vector<int32_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(list.tail->info.sampleIndex, 4);

    // Delete the tail: the node before it becomes the tail and appends go after it.
    RmcInfoNode* prev = list.head->next->next->next; // 3
    RmcInfoNode* last = list.tail;
    list_del(last, prev, list);
    std::free(last);
    EXPECT_EQ(list.tail, prev);
    list_add_tail(node(5), list);
    EXPECT_EQ(indices(list), (std::vector<int32_t>{0, 1, 2, 3, 5}));

    // Delete the head.
    RmcInfoNode* first = list.head;
    list_del(first, nullptr, list);
    std::free(first);
    EXPECT_EQ(indices(list), (std::vector<int32_t>{1, 2, 3, 5}));

    // Pop everything: the list ends empty with no stale tail.
    int popped = 0;
    while (RmcInfoNode* n = list_pop(list)) {
        std::free(n);
        ++popped;
    }
    EXPECT_EQ(popped, 4);
    EXPECT_EQ(list.tail, nullptr);
    list_add_tail(node(9), list);
    EXPECT_EQ(list.head, list.tail);
    list_free_all(list);
    EXPECT_TRUE(list_empty(list));
}

TEST(KalList, DeletingANullNodeChangesNothing)
{
    KalList<GpsSegment> list;
    list_push(kalGpsNewSegment(100, 820), list);
    list_del(static_cast<GpsSegment*>(nullptr), static_cast<GpsSegment*>(nullptr), list);
    ASSERT_NE(list.head, nullptr);
    EXPECT_EQ(list.head->offset, 100);
    EXPECT_EQ(list.head->size, 820u);
    list_free_all(list);
}

TEST(KalGpsStateTest, ResetEmptiesListsAndTheWorkingRecord)
{
    KalGpsState& s = kalGpsState();
    list_add_tail(node(1), s.gpsInfoHeadEx);
    list_add_tail(node(2), s.gsensorInfoHeadEx);
    list_add_tail(node(3), s.gpsInfoHead);
    list_add_tail(kalGpsNewSegment(0, 10), s.gpsSegmentHead);
    s.nGpsInfoCount = 1;
    s.mType = 5;
    s.prermcinfo.hour = 7;
    s.rmcinfoTemp.speed = 12.5f;
    kalGpsResetDecodeState(1);
    EXPECT_EQ(s.fType, 1);
    EXPECT_EQ(s.nGpsInfoCount, 0);
    EXPECT_EQ(s.mType, 0);
    EXPECT_EQ(s.prermcinfo.hour, 0);
    EXPECT_FLOAT_EQ(s.rmcinfoTemp.speed, 0.0f);
    EXPECT_TRUE(list_empty(s.gpsInfoHeadEx));
    EXPECT_TRUE(list_empty(s.gsensorInfoHeadEx));
    EXPECT_TRUE(list_empty(s.gpsInfoHead));
    EXPECT_TRUE(list_empty(s.gpsSegmentHead));
    EXPECT_EQ(s.gpsInfoHeadEx.tail, nullptr);
    s.fType = 0;
    s.rmcinfoTemp = RmcInfo{};
}
