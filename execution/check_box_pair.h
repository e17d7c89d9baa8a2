#pragma once

namespace velmorane::execution {

// The two boxes beside a list's heading: box 0 "Eléments Sélectionnés", box 1 "Eléments
// Non-Sélectionnés". They always show opposite states; at start box 1 is checked.
class CheckBoxPair {
public:
    // The box `index` was clicked and now holds `value` (0 or 1): its partner takes the opposite.
    void clicked(int index, int value);

    int value(int index) const { return values_[index == 0 ? 0 : 1]; }
    // What the executor reads: true when the selected entries are the ones executed.
    bool selectedChosen() const { return values_[0] == 1; }

private:
    int values_[2] = {0, 1};
};

}  // namespace velmorane::execution
