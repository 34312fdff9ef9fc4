#include <gtest/gtest.h>

#include <vector>

#include "asciigui/ag_tracked.hpp"

namespace {

// The characters a cell's queue holds, oldest first.
std::vector<int> history(ag_tracked& surface, std::int32_t index) {
    std::vector<int> result;
    const ag_cell_queue* queue = surface.cell_queue(index);
    for (const ag_cell_change* entry = queue->oldest(); entry != nullptr; entry = entry->next) {
        result.push_back(entry->cell.ch);
    }
    EXPECT_EQ(queue->newest()->cell.ch, result.back());
    EXPECT_EQ(static_cast<std::int32_t>(result.size()), queue->pending() + 1);
    return result;
}

}  // namespace

TEST(ag_tracked, every_resize_starts_each_cell_over_with_one_blank_entry) {
    ag_tracked surface;
    ag_widget leaf;
    surface.set_orientation(ag_box::vertical);
    surface.add_child(&leaf, 1);
    ASSERT_TRUE(surface.resize(2, 3));
    leaf.set_cell(0, 0, {'a', 0, 0});
    leaf.report_changed(0, 0, 1, 1);
    ASSERT_EQ(history(surface, 0), (std::vector<int>{0, 'a'}));
    ASSERT_TRUE(surface.resize(2, 3));
    ASSERT_EQ(surface.queue_count(), 6);
    for (std::int32_t i = 0; i < 6; ++i) {
        EXPECT_EQ(history(surface, i), std::vector<int>{0});
    }
    EXPECT_FALSE(surface.resize(-1, 3));
    EXPECT_EQ(surface.queue_count(), 6);
    ASSERT_TRUE(surface.resize(0, 0));
    EXPECT_EQ(surface.queue_count(), 0);
    EXPECT_FALSE(surface.has_grid());
}

TEST(ag_tracked, queues_keep_each_different_value_inside_the_reported_region) {
    ag_tracked surface;
    ag_widget leaf, stranger;
    surface.set_orientation(ag_box::vertical);
    surface.resize(2, 3);
    surface.add_child(&leaf, 1);
    for (const std::uint8_t ch : {65, 66, 66}) {
        leaf.set_cell(0, 1, {ch, 0, 0});
        EXPECT_TRUE(leaf.report_changed(0, 0, 2, 3));
    }
    EXPECT_EQ(history(surface, 1), (std::vector<int>{0, 65, 66}));
    EXPECT_EQ(history(surface, 0), std::vector<int>{0});

    // Changes outside the region, in the child or in the surface itself, go unrecorded.
    leaf.set_cell(1, 0, {'c', 0, 0});
    leaf.set_cell(1, 2, {'y', 0, 0});
    surface.set_cell(1, 1, {'s', 0, 0});
    EXPECT_TRUE(leaf.report_changed(1, 2, 5, 5));
    EXPECT_EQ(history(surface, 5), (std::vector<int>{0, 'y'}));
    EXPECT_EQ(history(surface, 3), std::vector<int>{0});
    EXPECT_EQ(history(surface, 4), std::vector<int>{0});
    EXPECT_FALSE(surface.child_changed(&stranger, 0, 0, 2, 3));
}
