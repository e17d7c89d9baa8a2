#include "execution/check_box_pair.h"

namespace velmorane::execution {

void CheckBoxPair::clicked(int index, int value)
{
    if (index != 0 && index != 1) return;
    values_[index] = value;
    values_[1 - index] = value ^ 1;
}

}  // namespace velmorane::execution
