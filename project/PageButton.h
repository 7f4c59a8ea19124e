// A button: runs its first or its second instruction list when pressed,
// momentarily (mode 0) or as a toggle.
#pragma once

#include <cstdint>
#include <string>

#include "project/ShapeLists.h"

class CPageButton {
  public:
    static constexpr const char* kClassName = "CPageButton";

    std::string firstList;
    std::string secondList;
    int32_t mode = 1;
    std::string shape = DefaultButtonShape();  // kept as read, even when unknown
    bool running = false;
    bool down = false;

    template <typename Self, typename Visitor>
    static void Fields(Self& self, Visitor& v) {
        v.Text(self.firstList);
        v.Text(self.secondList);
        v.Int(self.mode);
        v.Text(self.shape);
    }
};
