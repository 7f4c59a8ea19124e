// A graph: four curves of sensor data over time, with its ranges, captions
// and the instruction lists that feed each curve. Sampling comes with the
// window; this is the model and its record.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "project/Geometry.h"
#include "project/RecordFields.h"

class CGraph {
  public:
    static constexpr const char* kClassName = "CGraph";
    static constexpr int32_t kFirstOffsetVersion = 5;

    // The first two: grid shown and X scale drawn (see the graph's window).
    std::array<int32_t, 4> displayFlags{1, 1, 1, 1};
    double xMaximum = 300;
    double yMaximum = 1024;
    double xMinimum = 0;
    double yMinimum = 0;
    std::string xCaption = "X";
    std::string yCaption = "Y";
    double interval = 10;  // between samples, in X units
    std::array<std::string, 4> curveFunctions;
    Colour graphColour = kBlack;
    Colour backColour = kWindowColour;
    int32_t xOffset = 0;  // added to X in the read-out
    // The second set of ranges, in the file's order.
    double yMaximum2 = 1024;
    double yMinimum2 = 0;
    double xMaximum2 = 300;
    double xMinimum2 = 0;
    int32_t offsetDisplay = 0;  // the X scale shows xOffset + X
    CurveSet curves;
    bool sampling = false;

    template <typename Self, typename Visitor>
    static void Fields(Self& self, Visitor& v) {
        for (auto& flag : self.displayFlags) v.Int(flag);
        v.Double(self.xMaximum);
        v.Double(self.yMaximum);
        v.Double(self.xMinimum);
        v.Double(self.yMinimum);
        v.Text(self.xCaption);
        v.Text(self.yCaption);
        v.Double(self.interval);
        for (auto& function : self.curveFunctions) v.Text(function);
        v.Colour(self.graphColour);
        v.Colour(self.backColour);
        if (!v.Has(kFirstOffsetVersion)) return;
        v.Int(self.xOffset);
        v.Double(self.yMaximum2);
        v.Double(self.yMinimum2);
        v.Double(self.xMaximum2);
        v.Double(self.xMinimum2);
        v.Int(self.offsetDisplay);
        v.Curves(self.curves);
    }
};
