#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <vector>

#include "asciigui/ag_box.hpp"

namespace {

using geometry = std::array<int, 4>;  // row offset, col offset, rows, cols
using layout = std::vector<geometry>;

layout slot_geometry(ag_box& box) {
    layout result;
    for (const ag_child_slot* slot = box.first_slot(); slot != nullptr; slot = slot->next) {
        result.push_back({slot->row_offset, slot->col_offset, slot->rows, slot->cols});
    }
    return result;
}

// A box laid out along `orientation` at rows x cols over the children, in order.
void build(ag_box& box, std::int32_t orientation, std::int32_t rows, std::int32_t cols,
           std::initializer_list<std::pair<ag_widget*, int>> children) {
    box.set_orientation(orientation);
    for (auto [child, weight] : children) {
        ASSERT_TRUE(box.add_child(child, weight));
    }
    // Sized last: a box whose fixed state flips while children come in leaves its
    // slots to the next layout.
    box.resize(rows, cols);
}

// Stands for another widget by carrying its id.
class id_twin final : public ag_widget {
  public:
    explicit id_twin(const ag_widget& original) { id_ = original.id(); }
};

// A container that only notes the regions its children report.
class recording_box final : public ag_box {
  public:
    bool child_changed(ag_widget* child, std::int32_t row, std::int32_t col, std::int32_t rows,
                       std::int32_t cols) override {
        reports.push_back({child, {row, col, rows, cols}});
        return true;
    }
    std::vector<std::pair<ag_widget*, geometry>> reports;
};

}  // namespace

TEST(ag_box, fixed_children_first_in_list_order_then_weighted_shares_without_dividing_by_zero) {
    struct child {
        int fixed_rows, fixed_cols, weight;
    };
    const struct {
        std::int32_t orientation, rows, cols;
        std::vector<child> children;
        layout expected;
    } cases[] = {
        // clang-format off
        {ag_box::vertical, 25, 80, {{3, 0, 0}, {0, 0, 1}, {0, 0, 2}},
         {{0, 0, 3, 80}, {3, 0, 7, 80}, {10, 0, 15, 80}}},
        // Space runs out: the first fixed child wins, the rest get what is left.
        {ag_box::vertical, 25, 80, {{20, 0, 1}, {10, 0, 1}, {0, 0, 1}},
         {{0, 0, 20, 80}, {20, 0, 5, 80}, {25, 0, 0, 80}}},
        {ag_box::horizontal, 25, 80, {{0, 20, 1}, {0, 10, 1}, {0, 0, 1}},
         {{0, 0, 25, 20}, {0, 20, 25, 10}, {0, 30, 25, 50}}},
        {ag_box::vertical, 10, 4, {{0, 0, 3}, {0, 0, 0}}, {{0, 0, 10, 4}, {10, 0, 0, 4}}},
        // clang-format on
    };
    for (const auto& c : cases) {
        ag_box box;
        ag_widget kids[3];
        box.set_orientation(c.orientation);
        for (std::size_t i = 0; i < c.children.size(); ++i) {
            if (c.children[i].fixed_rows + c.children[i].fixed_cols > 0) {
                kids[i].set_fixed_size(c.children[i].fixed_rows, c.children[i].fixed_cols);
            }
            ASSERT_TRUE(box.add_child(&kids[i], c.children[i].weight));
        }
        box.resize(c.rows, c.cols);
        EXPECT_EQ(slot_geometry(box), c.expected);
        EXPECT_EQ(std::pair(kids[1].rows(), kids[1].cols()),
                  std::pair(c.expected[1][2], c.expected[1][3]));
    }
    ag_box unsized;
    ag_widget a, b;
    build(unsized, ag_box::vertical, -1, -1, {{&a, 1}, {&b, 1}});
    EXPECT_EQ(slot_geometry(unsized), (layout{{0, 0, -1, -1}, {0, 0, -1, -1}}));
    unsized.resize(10, 4);
    EXPECT_EQ(slot_geometry(unsized), (layout{{0, 0, 5, 4}, {5, 0, 5, 4}}));
}

TEST(ag_box, without_orientation_children_are_resized_to_the_slots_they_have) {
    ag_box box;
    ag_widget a, b;
    build(box, ag_box::vertical, 10, 4, {{&a, 1}, {&b, 1}});
    const layout placed = slot_geometry(box);
    box.set_orientation(ag_box::no_layout);
    a.set_cell(0, 0, {'a', 0, 0});
    box.resize(30, 7);
    EXPECT_EQ(slot_geometry(box), placed);
    EXPECT_EQ(a.cell(0, 0), ag_cell{});
    EXPECT_EQ(b.rows(), 5);

    box.set_cell(1, 1, {'k', 0, 0});
    EXPECT_TRUE(box.resize(-1, 10));
    EXPECT_EQ(box.rows(), 30);
    EXPECT_EQ(box.cell(1, 1).ch, 'k');
}

TEST(ag_box, fixed_size_follows_the_children_up_the_tree) {
    ag_box outer, inner;
    ag_widget two, three, filler;
    build(outer, ag_box::vertical, 25, 80, {{&inner, 1}, {&filler, 1}});
    build(inner, ag_box::vertical, -1, -1, {{&two, 1}, {&three, 1}});
    two.set_fixed_size(2, 9);
    three.set_fixed_size(3, 9);
    EXPECT_EQ(std::tuple(inner.fixed(), inner.fixed_rows(), inner.fixed_cols()),
              std::tuple(true, 5, 0));
    EXPECT_EQ(slot_geometry(outer), (layout{{0, 0, 5, 80}, {5, 0, 20, 80}}));
    EXPECT_EQ(slot_geometry(inner), (layout{{0, 0, 2, 80}, {2, 0, 3, 80}}));

    inner.remove_child(&two);
    EXPECT_EQ(inner.fixed_rows(), 5);
    inner.remove_child(&three);
    EXPECT_EQ(std::pair(inner.fixed(), inner.fixed_rows()), std::pair(false, 0));
    EXPECT_EQ(three.parent(), nullptr);
    EXPECT_EQ(slot_geometry(outer), (layout{{0, 0, 12, 80}, {12, 0, 13, 80}}));
}

TEST(ag_box, children_are_found_by_id_and_their_changed_regions_clipped_copied_and_passed_up) {
    recording_box top;
    ag_box mid;
    ag_widget spacer, leaf, stranger;
    spacer.set_fixed_size(3, 0);
    build(mid, ag_box::vertical, 8, 5, {{&spacer, 0}, {&leaf, 1}});
    top.add_child(&mid, 1);
    ASSERT_EQ(slot_geometry(mid)[1], (geometry{3, 0, 5, 5}));
    for (int i = 0; i < 25; ++i) {
        leaf.set_cell(i / 5, i % 5, {static_cast<std::uint8_t>(i + 1), 7, 9});
    }
    EXPECT_TRUE(mid.child_changed(&leaf, 2, 2, 4, 4));
    for (int i = 0; i < 25; ++i) {
        const int r = i / 5, c = i % 5;
        EXPECT_EQ(mid.cell(3 + r, c), r >= 2 && c >= 2 ? leaf.cell(r, c) : ag_cell{}) << i;
    }
    ASSERT_EQ(top.reports.size(), 1u);
    EXPECT_EQ(top.reports[0], std::pair(static_cast<ag_widget*>(&mid), geometry{5, 2, 3, 3}));

    EXPECT_FALSE(mid.child_changed(&stranger, 0, 0, 1, 1));
    EXPECT_EQ(top.reports.size(), 1u);
    const id_twin twin(leaf);
    EXPECT_EQ(mid.find_slot(&twin), mid.first_slot()->next);
    EXPECT_FALSE(mid.remove_child(&stranger));

    // A region starting before the slot keeps only its part inside.
    EXPECT_TRUE(leaf.report_changed(-1, -2, 3, 4));
    EXPECT_EQ(top.reports.back().second, (geometry{3, 0, 2, 2}));
    EXPECT_EQ(mid.cell(4, 1), leaf.cell(1, 1));
}
